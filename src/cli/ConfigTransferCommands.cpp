#include "cli/ConfigTransferCommands.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"
#include "config/AccessPassword.h"
#include "config/ConfigBackups.h"
#include "config/ConfigFile.h"

#include <algorithm>
#include <chrono>

namespace vandrel {

namespace {

// A finished read as a configuration file holds it: the record with the access password stamped
// in, and the system information that followed, if it came.
void takeRead(CliDevice& device, const OperationResult& result, ConverterConfig& record,
              DeviceInfo& info) {
    std::copy(result.config->begin(), result.config->end(), record.bytes.begin());
    stampAccessPassword(record, device.session().accessPassword());
    if (result.systemInfo) {
        SetVersionText(info.firmwareVersion, result.systemInfo->firmwareVersion);
        SetVersionText(info.loaderVersion, result.systemInfo->loaderVersion);
        info.systemInfoNumber = result.systemInfo->partition;
    }
}

// The configuration is complete when only the versions beside it are missing.
void warnWithoutSystemInfo(CliDevice& device, const OperationResult& result, const QString& file) {
    device.console().error(
        QStringLiteral("Warning: the converter's system information did not come (%1); %2 "
                       "was saved without it.")
            .arg(QString::fromUtf8(outcomeName(result.systemInfoOutcome.value_or(Outcome::GaveUp))),
                 file));
}

bool isFinishedRead(const OperationResult& result) {
    return result.kind == OperationKind::ConfigRead && result.ok() && result.config;
}

} // namespace

void ReadCommand::begin(CliDevice& device) {
    device.session().requestConfigRead();
}

bool ReadCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (!isFinishedRead(result)) {
        return false;
    }
    const QString file = QString::fromStdString(path_);
    ConverterConfig record;
    DeviceInfo info;
    takeRead(device, result, record, info);
    if (WriteConfigFile(path_, record, info) != kConfigWritten) {
        device.finish(exit_status::BadFile,
                      QStringLiteral("The configuration could not be written to %1.").arg(file));
        return true;
    }
    if (!result.systemInfo) {
        warnWithoutSystemInfo(device, result, file);
    }
    device.finish(exit_status::Success);
    return true;
}

void WriteCommand::begin(CliDevice& device) {
    // The backup is taken once; a restart after it starts the write over, not the backup.
    if (backupFolder_ && !backedUp_) {
        device.session().requestConfigRead();
        return;
    }
    ConfigImage image;
    std::copy(record_.bytes.begin(), record_.bytes.end(), image.begin());
    device.session().requestConfigWrite(image, verify_);
}

bool WriteCommand::saveBackup(CliDevice& device, const OperationResult& result) {
    const QString folder = QString::fromLocal8Bit(backupFolder_->c_str());
    ConverterConfig record;
    DeviceInfo info;
    takeRead(device, result, record, info);
    const BackupSaveResult saved =
        BackupFolder(*backupFolder_).save(record, info, std::chrono::system_clock::now());
    if (!saved.ok()) {
        device.finish(exit_status::BadFile,
                      QStringLiteral("The backup could not be saved in %1: %2. Nothing was "
                                     "written to the converter.")
                          .arg(folder, QString::fromLocal8Bit(saved.reason.c_str())));
        return false;
    }
    const QString file = QString::fromLocal8Bit(saved.path.c_str());
    device.console().data(QStringLiteral("backup: %1").arg(file));
    if (!result.systemInfo) {
        warnWithoutSystemInfo(device, result, file);
    }
    return true;
}

bool WriteCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (backupFolder_ && !backedUp_) {
        // A read that failed ends the command before anything is written.
        if (!isFinishedRead(result)) {
            return false;
        }
        backedUp_ = saveBackup(device, result);
        if (backedUp_) {
            begin(device);
        }
        return true;
    }
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
