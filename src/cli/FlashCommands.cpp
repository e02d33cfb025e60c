#include "cli/FlashCommands.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"

#include <algorithm>

namespace vandrel {
namespace {

std::int64_t bytesDone(const DeviceSession& session) {
    return std::min<std::int64_t>(std::int64_t{session.flashOffset()} + kBlockSize,
                                  session.flashTotal());
}

} // namespace

void FlashCommand::begin(CliDevice& device) {
    progress_.start();
    device.session().startFlashLoading(path_);
}

bool FlashCommand::onProgress(CliDevice& device, SessionProgress code, int) {
    DeviceSession& session = device.session();
    switch (code) {
    case SessionProgress::FlashChunkSent:
        total_ = session.flashTotal();
        progress_.update(bytesDone(session), total_);
        return true;
    case SessionProgress::LoaderWaitsForFirmware:
        // The loader asked for firmware on its own: this command's checked file is the one,
        // unless the user is cancelling.
        if (cancelling_) {
            session.declineFirmware();
        } else {
            session.supplyFirmware(path_);
        }
        return true;
    default:
        return false;
    }
}

bool FlashCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (result.kind != OperationKind::FlashLoading) {
        return false;
    }
    switch (result.outcome) {
    case Outcome::Done:
        progress_.update(total_, total_);
        device.finish(exit_status::Success,
                      QStringLiteral("The firmware was loaded; the converter now programs it and "
                                     "restarts."));
        return true;
    case Outcome::Cancelled:
        device.finish(exit_status::Refused, QStringLiteral("FLASH loading was cancelled."));
        return true;
    case Outcome::CutShortByRestart:
        if (result.restart == RestartKind::LoaderWaitsForFirmware) {
            device.finish(exit_status::Refused,
                          QStringLiteral("FLASH loading was interrupted at %1%: the converter "
                                         "restarted and its loader waits for firmware again. Run "
                                         "'vandrelctl flash' once more.")
                              .arg(result.percent));
        } else {
            device.finish(exit_status::Refused,
                          QStringLiteral("FLASH loading was interrupted at %1%: the converter "
                                         "restarted before the firmware was complete.")
                              .arg(result.percent));
        }
        return true;
    default:
        return false;
    }
}

void FlashCommand::interrupt(CliDevice& device) {
    const SessionState state = device.session().state();
    if (cancelling_ || (state != SessionState::FlashStart && state != SessionState::FlashLoading)) {
        DeviceCommand::interrupt(device);
        return;
    }
    // The converter's answer to the cancel ends the loading.
    cancelling_ = true;
    device.console().note(QStringLiteral("Cancelling FLASH loading."));
    device.session().cancel();
}

void DumpCommand::begin(CliDevice& device) {
    progress_.start();
    // Without a link the device has finished already.
    if (device.session().startFlashDownloading(path_) == DeviceSession::DownloadStart::FileError) {
        device.finish(exit_status::BadFile,
                      QStringLiteral("%1 cannot be written.").arg(QString::fromStdString(path_)));
    }
}

bool DumpCommand::onProgress(CliDevice& device, SessionProgress code, int) {
    if (code != SessionProgress::FlashBlockRequested) {
        return false;
    }
    const DeviceSession& session = device.session();
    total_ = session.flashTotal();
    progress_.update(std::int64_t{session.flashOffset()}, total_);
    return true;
}

bool DumpCommand::onEnded(CliDevice& device, const OperationResult& result) {
    if (result.kind != OperationKind::FlashDownloading) {
        return false;
    }
    const QString file = QString::fromStdString(path_);
    switch (result.outcome) {
    case Outcome::Done:
        progress_.update(total_, total_);
        device.finish(exit_status::Success,
                      QStringLiteral("The FLASH image was saved in %1.").arg(file));
        return true;
    case Outcome::FileError:
        device.finish(exit_status::BadFile,
                      QStringLiteral("The FLASH image could not be written to %1; the file was "
                                     "left as it was.")
                          .arg(file));
        return true;
    case Outcome::Cancelled:
        device.finish(
            exit_status::Refused,
            QStringLiteral("FLASH downloading was cancelled; %1 was left as it was.").arg(file));
        return true;
    default:
        return false;
    }
}

void DumpCommand::interrupt(CliDevice& device) {
    if (cancelled_ || device.session().operation() != OperationKind::FlashDownloading) {
        DeviceCommand::interrupt(device);
        return;
    }
    // Nothing goes to the converter: the download just stops and the target stays as it was.
    cancelled_ = true;
    device.session().cancel();
}

} // namespace vandrel
