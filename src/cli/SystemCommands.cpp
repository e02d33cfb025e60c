#include "cli/SystemCommands.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"

namespace vandrel {

void InfoCommand::begin(CliDevice& device) {
    // The system information request does not open the link itself.
    if (device.ensureLink()) {
        device.session().requestSystemInfo();
    }
}

bool InfoCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    if (code != SessionProgress::SystemInfoEnded || value != result::Success) {
        return false;
    }
    const DeviceSession& session = device.session();
    device.console().data(
        QStringLiteral("firmware: %1").arg(QString::fromStdString(session.firmwareVersion())));
    device.console().data(
        QStringLiteral("loader: %1").arg(QString::fromStdString(session.loaderVersion())));
    device.console().data(QStringLiteral("partition: %1").arg(int{session.activePartition()}));
    device.finish(exit_status::Success);
    return true;
}

void ResetCommand::begin(CliDevice& device) {
    reset_.start(device);
}

bool ResetCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    bool done = false;
    const bool handled = reset_.onProgress(device, code, value, done);
    if (done) {
        device.finish(exit_status::Success);
    }
    return handled;
}

void PasswdCommand::begin(CliDevice& device) {
    DeviceSession& session = device.session();
    device.setPasswordChange(PasswordChangeTexts{newPassword_, session.accessPassword});
    session.requestPasswordChange(newPassword_, session.accessPassword);
}

bool PasswdCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    if (code != SessionProgress::PasswordChangeEnded && code != SessionProgress::GaveUp) {
        return false;
    }
    device.setPasswordChange(std::nullopt);
    if (code == SessionProgress::PasswordChangeEnded && value == result::Success) {
        device.session().accessPassword = newPassword_;
        device.finish(exit_status::Success, QStringLiteral("The access password was changed."));
        return true;
    }
    return false;
}

} // namespace vandrel
