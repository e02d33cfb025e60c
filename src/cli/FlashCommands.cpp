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
    DeviceSession& session = device.session();
    progress_.start();
    if (session.startFlashLoading(path_)) {
        total_ = session.flashTotal();
    }
}

bool FlashCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    DeviceSession& session = device.session();
    switch (code) {
    case SessionProgress::FlashChunkSent:
        progress_.update(bytesDone(session), session.flashTotal());
        return true;
    case SessionProgress::LoaderWaitsForFirmware:
        // The loader asked for firmware on its own: this command's checked file is the one,
        // unless the user is cancelling.
        if (cancelling_) {
            session.declineFirmware();
        } else if (session.supplyFirmware(path_)) {
            total_ = session.flashTotal();
        }
        return true;
    case SessionProgress::RestartLoader:
    case SessionProgress::RestartCode:
        return true;
    case SessionProgress::FlashLoadEnded:
        if (value == result::Success) {
            progress_.update(total_, total_);
            device.finish(exit_status::Success,
                          QStringLiteral("The firmware was loaded; the converter now programs it "
                                         "and restarts."));
            return true;
        }
        if (value == result::Cancelled) {
            device.finish(exit_status::Refused, QStringLiteral("FLASH loading was cancelled."));
            return true;
        }
        return false;
    default:
        return false;
    }
}

void FlashCommand::interrupt(CliDevice& device) {
    const SessionState state = device.session().state;
    if (cancelling_ || (state != SessionState::FlashStart && state != SessionState::FlashLoading)) {
        DeviceCommand::interrupt(device);
        return;
    }
    // The converter's answer to the cancel ends the loading.
    cancelling_ = true;
    device.console().note(QStringLiteral("Cancelling FLASH loading."));
    device.session().cancelFlashLoading();
}

void DumpCommand::begin(CliDevice& device) {
    progress_.start();
    // Without a link the device has finished already.
    if (device.session().startFlashDownloading(path_) == DeviceSession::DownloadStart::FileError) {
        device.finish(exit_status::BadFile,
                      QStringLiteral("%1 cannot be written.").arg(QString::fromStdString(path_)));
    }
}

bool DumpCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    const DeviceSession& session = device.session();
    switch (code) {
    case SessionProgress::FlashBlockRequested:
        total_ = session.flashTotal();
        progress_.update(std::int64_t{session.flashOffset()}, total_);
        return true;
    case SessionProgress::FlashReadEnded:
        if (value == result::Success) {
            progress_.update(total_, total_);
            device.finish(exit_status::Success, QStringLiteral("The FLASH image was saved in %1.")
                                                    .arg(QString::fromStdString(path_)));
            return true;
        }
        // Failed without a status from the converter: the image file could not be written.
        if (value == result::Failed && session.resultHex().empty()) {
            device.finish(exit_status::BadFile,
                          QStringLiteral("The FLASH image could not be written to %1; the partial "
                                         "image was deleted.")
                              .arg(QString::fromStdString(path_)));
            return true;
        }
        return false;
    default:
        return false;
    }
}

void DumpCommand::interrupt(CliDevice& device) {
    // Nothing goes to the converter: the session stops asking and deletes the partial image.
    device.session().stopFlashDownloading();
    device.finish(
        exit_status::Refused,
        QStringLiteral("FLASH downloading was cancelled; the partial image was deleted."));
}

} // namespace vandrel
