#include "sim/model/ConverterModel.h"

#include <cstdio>

namespace vandrel::sim {

ConverterModel::ConverterModel(ModelSettings settings)
    : settings_(std::move(settings)),
      link_(scheduler_, [this](const ProtocolFrame& frame) { onFrame(frame); }),
      config_(settings_.config), flash_(settings_.flash),
      firmwareVersion_(settings_.firmwareVersion), firmwareMissing_(settings_.firmwareMissing) {}

void ConverterModel::setFaults(const FaultSettings& faults) {
    faults_ = faults;
    link_.setFaults(faults.line);
    refusalsLeft_.clear();
    for (const Refusal& refusal : faults.refusals) {
        refusalsLeft_.push_back(refusal.times);
    }
}

void ConverterModel::onFrame(const ProtocolFrame& frame) {
    // A real converter stays silent on a damaged frame; the utility's timer covers it.
    if (!frameHasKnownType(frame) || !frameVerify(frame)) {
        ++badFrames_;
        return;
    }
    const RequestKind kind = classifyRequest(frame);
    ++received_[static_cast<std::size_t>(kind)];
    handle(kind, frame);
}

bool ConverterModel::refused(RequestKind kind) {
    for (std::size_t i = 0; i < faults_.refusals.size(); ++i) {
        const Refusal& refusal = faults_.refusals[i];
        if (refusal.kind != kind) {
            continue;
        }
        if (refusal.times == 0) {
            sendStatus(refusal.status);
            return true;
        }
        if (refusalsLeft_[i] > 0) {
            --refusalsLeft_[i];
            sendStatus(refusal.status);
            return true;
        }
    }
    return false;
}

void ConverterModel::send(std::uint8_t type, std::initializer_list<Field> fields) {
    FramePtr frame = frameCreate(type);
    for (const Field& field : fields) {
        frameAddField(*frame, field.tag, static_cast<std::uint8_t>(field.value.size()),
                      field.value.data());
    }
    frameSeal(*frame);
    if (holdBack_) {
        holdBack_->push_back(*frame);
        return;
    }
    link_.sendFrame(*frame);
}

void ConverterModel::sendStatus(std::uint8_t statusByte) {
    send(0xA3, {{0x71, std::span<const std::uint8_t>(&statusByte, 1)}});
}

void ConverterModel::enterPhase(Phase phase) {
    phase_ = phase;
    ++phaseToken_; // whatever the previous phase had scheduled no longer applies
}

// Restart sequence: "Restart loader", its acknowledgement, the partition report, "Restart
// code" and its acknowledgement. Each event goes out again until it is acknowledged, a few
// times, and then the converter goes on regardless, as a device would. A loader that waits for
// firmware says so in its event and stays; an application that restarts by itself skips the
// loader and sends only "Restart code".

void ConverterModel::beginRestart(std::uint8_t code, SimTime delay, RestartHow how) {
    enterPhase(Phase::Booting);
    restartCode_ = code;
    loaderWaits_ = firmwareMissing_ || how == RestartHow::Firmware;
    monitorOn_ = false;
    ++monitorToken_;
    flash_.cancelLoading();
    const std::uint64_t token = phaseToken_;
    scheduler_.after(delay, [this, token, how] {
        if (token != phaseToken_) {
            return;
        }
        eventSendsLeft_ = settings_.eventSends;
        if (how == RestartHow::Code && !loaderWaits_) {
            announceCode();
        } else {
            announceLoader();
        }
    });
}

void ConverterModel::announceLoader() {
    enterPhase(Phase::LoaderAnnounced);
    const std::uint8_t waiting = status::WaitingForFirmware;
    const std::span<const std::uint8_t> version(
        reinterpret_cast<const std::uint8_t*>(settings_.loaderVersion.data()),
        settings_.loaderVersion.size());
    if (loaderWaits_) {
        send(0xA1, {{0x11, {&restartCode_, 1}}, {0x15, version}, {0x71, {&waiting, 1}}});
    } else {
        send(0xA1, {{0x11, {&restartCode_, 1}}, {0x15, version}});
    }
    if (eventSendsLeft_ > 0) {
        --eventSendsLeft_;
    }
    const std::uint64_t token = phaseToken_;
    scheduler_.after(settings_.eventRepeat, [this, token] {
        if (token != phaseToken_) {
            return;
        }
        if (eventSendsLeft_ > 0) {
            announceLoader();
        } else if (loaderWaits_) {
            enterPhase(Phase::InLoader);
        } else {
            startCode();
        }
    });
}

void ConverterModel::onLoaderAck(const ProtocolFrame& frame) {
    const auto code = frameFindField(frame, 0x12);
    if (phase_ != Phase::LoaderAnnounced || !code || code->value.size() != 1 ||
        code->value[0] != restartCode_) {
        return;
    }
    if (loaderWaits_) {
        enterPhase(Phase::InLoader);
    } else {
        startCode();
    }
}

void ConverterModel::startCode() {
    enterPhase(Phase::LoaderStarting);
    send(0xA2, {{0x51, {&settings_.partition, 1}}});
    const std::uint64_t token = phaseToken_;
    scheduler_.after(settings_.codeDelay, [this, token] {
        if (token == phaseToken_) {
            eventSendsLeft_ = settings_.eventSends;
            announceCode();
        }
    });
}

void ConverterModel::announceCode() {
    enterPhase(Phase::CodeAnnounced);
    send(0xA1, {{0x13, {&restartCode_, 1}},
                {0x15,
                 {reinterpret_cast<const std::uint8_t*>(firmwareVersion_.data()),
                  firmwareVersion_.size()}}});
    if (eventSendsLeft_ > 0) {
        --eventSendsLeft_;
    }
    const std::uint64_t token = phaseToken_;
    scheduler_.after(settings_.eventRepeat, [this, token] {
        if (token != phaseToken_) {
            return;
        }
        if (eventSendsLeft_ > 0) {
            announceCode();
        } else {
            enterPhase(Phase::Running);
        }
    });
}

void ConverterModel::onCodeAck(const ProtocolFrame& frame) {
    const auto code = frameFindField(frame, 0x14);
    if (phase_ == Phase::CodeAnnounced && code && code->value.size() == 1 &&
        code->value[0] == restartCode_) {
        enterPhase(Phase::Running);
    }
}

void ConverterModel::scheduleMonitorText() {
    const std::uint64_t token = monitorToken_;
    scheduler_.after(settings_.monitorPeriod, [this, token] {
        if (token != monitorToken_ || !monitorOn_) {
            return;
        }
        char line[48];
        const int n = std::snprintf(line, sizeof line, "SYS %05u mask=%02X line=idle\r\n",
                                    ++monitorLines_, monitorMask_);
        send(0xA2,
             {{0x31, {reinterpret_cast<const std::uint8_t*>(line), static_cast<std::size_t>(n)}}});
        scheduleMonitorText();
    });
}

} // namespace vandrel::sim
