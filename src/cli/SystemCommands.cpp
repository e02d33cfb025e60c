#include "cli/SystemCommands.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"

namespace vandrel {

void InfoCommand::begin(CliDevice& device) {
    // The system information request does not open the link itself.
    if (device.openLink()) {
        device.session().requestSystemInfo();
    }
}

bool InfoCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (result.kind != OperationKind::SystemInfo || !result.ok() || !result.systemInfo) {
        return false;
    }
    const SystemInfo& info = *result.systemInfo;
    device.console().data(
        QStringLiteral("firmware: %1").arg(QString::fromStdString(info.firmwareVersion)));
    device.console().data(
        QStringLiteral("loader: %1").arg(QString::fromStdString(info.loaderVersion)));
    device.console().data(QStringLiteral("partition: %1").arg(int{info.partition}));
    device.finish(exit_status::Success);
    return true;
}

void ResetCommand::begin(CliDevice& device) {
    device.session().requestReset();
}

bool ResetCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (result.kind != OperationKind::Reset || !result.ok()) {
        return false;
    }
    device.finish(exit_status::Success);
    return true;
}

void PasswdCommand::begin(CliDevice& device) {
    DeviceSession& session = device.session();
    session.requestPasswordChange(newPassword_, session.accessPassword());
}

bool PasswdCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (result.kind != OperationKind::PasswordChange || !result.ok()) {
        return false;
    }
    device.finish(exit_status::Success, QStringLiteral("The access password was changed."));
    return true;
}

} // namespace vandrel
