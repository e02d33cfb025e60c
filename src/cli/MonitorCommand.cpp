#include "cli/MonitorCommand.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace vandrel {
MonitorCommand::MonitorCommand(std::uint8_t mask, std::optional<double> seconds)
    : mask_(mask), seconds_(seconds) {
    deadline_.setSingleShot(true);
    QObject::connect(&deadline_, &QTimer::timeout, [this] { stop(); });
}

MonitorCommand::~MonitorCommand() = default;

void MonitorCommand::begin(CliDevice& device) {
    if (!device_) {
        device_ = &device;
        device.setMonitorPane(this);
        input_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input_.get(), &QSocketNotifier::activated, [this] { readInput(); });
        if (seconds_) {
            deadline_.start(static_cast<int>(*seconds_ * 1000));
        }
    }
    // Also after a restart of the converter, which ends its monitoring.
    on_ = false;
    offSent_ = false;
    maskDue_ = false;
    if (stopping_) {
        device.finish(failed_ ? exit_status::Refused : exit_status::Success);
        return;
    }
    device.session().requestMonitor(true);
}

bool MonitorCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (result.kind != OperationKind::MonitorSwitch &&
        result.kind != OperationKind::MonitorCommand) {
        return false;
    }
    if (result.ok()) {
        if (offSent_ && result.kind == OperationKind::MonitorSwitch && !result.monitoringOn) {
            device.finish(failed_ ? exit_status::Refused : exit_status::Success);
            return true;
        }
        pump();
        return true;
    }
    // A command line refused while monitoring runs: say so, and end monitoring. Anything else
    // (the switch itself refused, a restart, no answer) is the common end.
    if (result.kind != OperationKind::MonitorCommand || offSent_ || !on_ ||
        (result.outcome != Outcome::Refused && result.outcome != Outcome::PasswordCancelled)) {
        return false;
    }
    device.console().error(
        result.outcome == Outcome::PasswordCancelled
            ? QStringLiteral("The converter wants its access password for command lines: give "
                             "the right one with --password.")
            : QStringLiteral("The converter refused a command line (status %1).")
                  .arg(QString::fromStdString(result.status)));
    failed_ = true;
    stop();
    return true;
}

void MonitorCommand::interrupt(CliDevice& device) {
    if (stopping_) {
        DeviceCommand::interrupt(device); // asked twice: do not wait any longer
        return;
    }
    stop();
}

void MonitorCommand::setMonitoring(bool on) {
    if (on == on_) {
        return;
    }
    on_ = on;
    maskDue_ = on;
    device_->console().note(on ? QStringLiteral("*** SYSTEM MONITORING STARTED ***")
                               : QStringLiteral("*** SYSTEM MONITORING STOPPED ***"));
}

void MonitorCommand::appendMonitorText(std::span<const std::uint8_t> text) {
    if (!on_) {
        setMonitoring(true);
    }
    device_->console().rawData(text);
}

void MonitorCommand::readInput() {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (n <= 0) {
        input_->setEnabled(false);
        inputEnded_ = true;
        if (!partialLine_.isEmpty()) {
            lines_.push_back(partialLine_.toStdString());
            partialLine_.clear();
        }
        pump();
        return;
    }
    partialLine_.append(buffer, n);
    for (qsizetype end = partialLine_.indexOf('\n'); end >= 0; end = partialLine_.indexOf('\n')) {
        QByteArray line = partialLine_.left(end);
        partialLine_.remove(0, end + 1);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (static_cast<std::size_t>(line.size()) > kMaxLine) {
            device_->console().error(
                QStringLiteral("A command line was cut to %1 characters.").arg(kMaxLine));
            line.truncate(kMaxLine);
        }
        lines_.push_back(line.toStdString());
    }
    pump();
}

void MonitorCommand::stop() {
    stopping_ = true;
    lines_.clear();
    pump();
}

void MonitorCommand::pump() {
    if (!device_ || device_->finished()) {
        return;
    }
    const OperationKind running = device_->session().operation();
    if (running == OperationKind::MonitorSwitch || running == OperationKind::MonitorCommand) {
        return;
    }
    if (stopping_) {
        if (!offSent_) {
            offSent_ = true;
            device_->session().requestMonitor(false);
        }
        return;
    }
    if (!on_) {
        return;
    }
    if (maskDue_) {
        maskDue_ = false;
        char text[8];
        std::snprintf(text, sizeof text, "V=%02X\r\n", unsigned{mask_});
        device_->session().requestMonitorText(text);
        return;
    }
    if (!lines_.empty()) {
        std::string line = std::move(lines_.front());
        lines_.pop_front();
        device_->session().requestMonitorText(line + "\r\n");
        return;
    }
    if (inputEnded_) {
        stop();
    }
}

} // namespace vandrel
