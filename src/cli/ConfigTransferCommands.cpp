#include "cli/ConfigTransferCommands.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"
#include "config/AccessPassword.h"
#include "config/ConfigFile.h"

#include <algorithm>

namespace vandrel {

void ReadCommand::begin(CliDevice& device) {
    record_.reset();
    device.session().requestConfigRead(false);
}

bool ReadCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    if (code == SessionProgress::ConfigReadEnded && value == result::Success) {
        // The session asks for the system information next.
        ConverterConfig record;
        std::copy(device.session().configImage().begin(), device.session().configImage().end(),
                  record.bytes.begin());
        record_ = record;
        return true;
    }
    if (!record_) {
        return false;
    }
    const QString file = QString::fromStdString(path_);
    if (code == SessionProgress::SystemInfoEnded) {
        if (value == result::Success) {
            save(device, true, exit_status::Success, {});
        } else {
            save(device, false, exit_status::Refused,
                 QStringLiteral("The converter refused its system information (status %1); %2 "
                                "was saved without it.")
                     .arg(QString::fromStdString(device.session().resultHex()), file));
        }
        return true;
    }
    if (code == SessionProgress::GaveUp) {
        save(device, false, exit_status::NoAnswer,
             QStringLiteral("The converter did not answer the request for its system "
                            "information; %1 was saved without it.")
                 .arg(file));
        return true;
    }
    return false;
}

void ReadCommand::save(CliDevice& device, bool withDeviceInfo, int status, const QString& message) {
    const DeviceSession& session = device.session();
    ConverterConfig record = *record_;
    stampAccessPassword(record, session.accessPassword);
    DeviceInfo info;
    if (withDeviceInfo) {
        SetVersionText(info.firmwareVersion, session.firmwareVersion());
        SetVersionText(info.loaderVersion, session.loaderVersion());
        info.systemInfoNumber = session.activePartition();
    }
    if (WriteConfigFile(path_, record, info) != kConfigWritten) {
        device.finish(exit_status::BadFile, QStringLiteral("The configuration could not be "
                                                           "written to %1.")
                                                .arg(QString::fromStdString(path_)));
        return;
    }
    device.finish(status, message);
}

void WriteCommand::begin(CliDevice& device) {
    if (phase_ == Phase::Verifying) {
        verify(device);
        return;
    }
    phase_ = Phase::Writing;
    ConfigImage image;
    std::copy(record_.bytes.begin(), record_.bytes.end(), image.begin());
    device.session().requestConfigWrite(&image, false);
}

bool WriteCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    bool restarted = false;
    if (reset_.onProgress(device, code, value, restarted)) {
        if (!restarted) {
            return true;
        }
        if (!verify_) {
            device.finish(exit_status::Success);
            return true;
        }
        phase_ = Phase::Verifying;
        verify(device);
        return true;
    }
    if (code == SessionProgress::ConfigWriteEnded && value == result::Success &&
        phase_ == Phase::Writing) {
        phase_ = Phase::Resetting;
        reset_.start(device);
        return true;
    }
    if (code == SessionProgress::ConfigReadEnded && value == result::Success &&
        phase_ == Phase::Verifying) {
        const ConfigImage& back = device.session().configImage();
        const auto [ours, theirs] =
            std::mismatch(record_.bytes.begin(), record_.bytes.end(), back.begin());
        if (ours != record_.bytes.end()) {
            device.finish(exit_status::Refused,
                          QStringLiteral("Verification failed: the configuration read back "
                                         "differs from the one written at offset %1.")
                              .arg(ours - record_.bytes.begin()));
        } else {
            device.finish(exit_status::Success,
                          QStringLiteral("The configuration read back matches."));
        }
        return true;
    }
    return false;
}

void WriteCommand::verify(CliDevice& device) {
    device.session().requestConfigRead(false);
}

} // namespace vandrel
