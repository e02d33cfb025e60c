#include "cli/ConfigTransferCommands.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"
#include "config/AccessPassword.h"
#include "config/ConfigFile.h"

#include <algorithm>

namespace vandrel {

void ReadCommand::begin(CliDevice& device) {
    device.session().requestConfigRead();
}

bool ReadCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (result.kind != OperationKind::ConfigRead || !result.ok() || !result.config) {
        return false;
    }
    const QString file = QString::fromStdString(path_);
    ConverterConfig record;
    std::copy(result.config->begin(), result.config->end(), record.bytes.begin());
    stampAccessPassword(record, device.session().accessPassword());
    DeviceInfo info;
    if (result.systemInfo) {
        SetVersionText(info.firmwareVersion, result.systemInfo->firmwareVersion);
        SetVersionText(info.loaderVersion, result.systemInfo->loaderVersion);
        info.systemInfoNumber = result.systemInfo->partition;
    }
    if (WriteConfigFile(path_, record, info) != kConfigWritten) {
        device.finish(exit_status::BadFile,
                      QStringLiteral("The configuration could not be written to %1.").arg(file));
        return true;
    }
    if (!result.systemInfo) {
        // The configuration is complete; only the versions beside it are missing.
        device.console().error(
            QStringLiteral("Warning: the converter's system information did not come (%1); %2 "
                           "was saved without it.")
                .arg(QString::fromUtf8(
                         outcomeName(result.systemInfoOutcome.value_or(Outcome::GaveUp))),
                     file));
    }
    device.finish(exit_status::Success);
    return true;
}

void WriteCommand::begin(CliDevice& device) {
    ConfigImage image;
    std::copy(record_.bytes.begin(), record_.bytes.end(), image.begin());
    device.session().requestConfigWrite(image, verify_);
}

bool WriteCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (result.kind != OperationKind::ConfigWrite || !result.ok()) {
        return false;
    }
    switch (result.readBack) {
    case ReadBack::NotAsked:
        device.finish(exit_status::Success);
        break;
    case ReadBack::Identical:
        device.finish(exit_status::Success, QStringLiteral("The configuration read back matches."));
        break;
    case ReadBack::Differs:
        device.finish(exit_status::Refused,
                      QStringLiteral("Verification failed: the configuration read back differs "
                                     "from the one written at offset %1.")
                          .arg(result.firstDifference));
        break;
    case ReadBack::Failed:
        device.finish(exit_status::Refused,
                      QStringLiteral("The configuration was written, but it could not be read "
                                     "back (%1).")
                          .arg(QString::fromUtf8(
                              outcomeName(result.readBackOutcome.value_or(Outcome::GaveUp)))));
        break;
    }
    return true;
}

} // namespace vandrel
