#include "cli/FlashCommands.h"

#include "cli/CliDevice.h"
#include "cli/ExitStatus.h"

#include <algorithm>

namespace vandrel {
namespace {

std::int64_t bytesDone(const DeviceSession& session) {
    return std::min<std::int64_t>(std::int64_t{session.flashOffset} + kBlockSize,
                                  session.flashTotal);
}

} // namespace

void FlashCommand::begin(CliDevice& device) {
    DeviceSession& session = device.session();
    session.useFirmwareFile(path_);
    total_ = session.flashTotal;
    progress_.start();
    session.requestFlashStart();
}

bool FlashCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    DeviceSession& session = device.session();
    switch (code) {
    case SessionProgress::FlashChunkSent:
        progress_.update(bytesDone(session), session.flashTotal);
        return true;
    case SessionProgress::LoaderWaitsForFirmware:
        // The loader asked for firmware on its own and the session has asked it to take some:
        // it is this file. Accepted, the loading starts from the session; already accepted, the
        // first chunk goes now.
        if (session.state == SessionState::FlashStart) {
            session.useFirmwareFile(path_);
        } else if (session.state == SessionState::FlashLoading && !cancelling_) {
            session.useFirmwareFile(path_);
            session.requestFlashChunk(false);
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
    device.session().requestFlashCancel(false);
}

void DumpCommand::begin(CliDevice& device) {
    DeviceSession& session = device.session();
    if (!session.useImageFile(path_)) {
        device.finish(exit_status::BadFile,
                      QStringLiteral("%1 cannot be written.").arg(QString::fromStdString(path_)));
        return;
    }
    progress_.start();
    session.requestFlashReadStart();
}

bool DumpCommand::onProgress(CliDevice& device, SessionProgress code, int value) {
    const DeviceSession& session = device.session();
    switch (code) {
    case SessionProgress::FlashBlockRequested:
        progress_.update(std::int64_t{session.flashOffset}, session.flashTotal);
        return true;
    case SessionProgress::FlashReadEnded:
        if (value == result::Success) {
            progress_.update(session.flashTotal, session.flashTotal);
            device.finish(exit_status::Success, QStringLiteral("The FLASH image was saved in %1.")
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
