#include "cli/CliDevice.h"

#include "cli/CliOptions.h"
#include "cli/DeviceCommand.h"
#include "cli/ExitStatus.h"
#include "cli/InterruptWatcher.h"
#include "cli/PasswordPrompt.h"
#include "link/DevicePath.h"
#include "link/QueuedFrameHandler.h"

#include <QFile>

#include <unistd.h>

namespace vandrel {
namespace {

// Why the port could not be started, as one sentence.
QString linkFailureText(const QString& portName, std::uint32_t baudRate,
                        const ChannelStartResult& result) {
    const QString path = devicePathForPortName(portName);
    if (result.threadFailed) {
        return QStringLiteral("The serial link on %1 could not be started.").arg(path);
    }
    switch (result.open) {
    case PortOpenResult::NotFound:
        return QStringLiteral("The port %1 does not exist or is not a serial device.").arg(path);
    case PortOpenResult::AccessDenied:
        if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0) {
            return QStringLiteral("You lack permission to use the port %1: add your user to the "
                                  "group that owns it (often dialout) and log in again.")
                .arg(path);
        }
        return QStringLiteral("The port %1 is in use by another program.").arg(path);
    case PortOpenResult::SettingsRefused:
        return QStringLiteral("The port %1 refused the line settings (%2 baud, 8 data bits, no "
                              "parity, 2 stop bits).")
            .arg(path)
            .arg(baudRate);
    default:
        return QStringLiteral("The port %1 could not be opened.").arg(path);
    }
}

// " (status 01 9E)" for a refusal's status bytes; nothing when it carried none.
QString statusSuffix(const std::string& resultHex) {
    if (resultHex.empty()) {
        return {};
    }
    return QStringLiteral(" (status %1)").arg(QString::fromStdString(resultHex));
}

bool isEndCode(SessionProgress code) {
    switch (code) {
    case SessionProgress::ResetSent: // with a result only when the reset ended without a restart
    case SessionProgress::ConfigReadEnded:
    case SessionProgress::ConfigWriteEnded:
    case SessionProgress::MonitorEnded:
    case SessionProgress::FlashLoadEnded:
    case SessionProgress::FlashReadEnded:
    case SessionProgress::SystemInfoEnded:
    case SessionProgress::PasswordChangeEnded:
        return true;
    default:
        return false;
    }
}

// How often the converter may restart under a command before the command gives up.
constexpr int kRestartLimit = 3;

} // namespace

void DeviceCommand::interrupt(CliDevice& device) {
    device.finish(exit_status::Refused, QStringLiteral("Interrupted."));
}

CliDevice::CliDevice(const QString& portName, std::uint32_t baudRate, const GlobalOptions& options,
                     Console& console)
    : portName_(portName), baudRate_(baudRate), console_(console) {
    session_.notifyWindow = this;
    session_.channel = &channel_;
    session_.timers = &timers_;
    session_.trace = options.trace ? &trace_ : nullptr;
    session_.accessPassword = options.password.toStdString();
}

CliDevice::~CliDevice() {
    channel_.stop();
    session_.notifyWindow = nullptr;
    session_.monitorPane = nullptr;
}

int CliDevice::run(DeviceCommand& command) {
    command_ = &command;
    InterruptWatcher interrupts([this] { onInterrupt(); });
    command.begin(*this);
    if (!finished_) {
        loop_.exec();
    }
    console_.endProgress();
    // Frames already posted (an acknowledgement, the last request) still go out.
    channel_.stop();
    command_ = nullptr;
    return status_;
}

void CliDevice::finish(int status, const QString& message) {
    if (finished_) {
        return;
    }
    finished_ = true;
    status_ = status;
    if (!message.isEmpty()) {
        if (status == exit_status::Success) {
            console_.note(message);
        } else {
            console_.error(message);
        }
    }
    session_.stopTimer();
    loop_.quit();
}

bool CliDevice::ensureLink() {
    // A started channel re-opens a lost port by itself; requests meanwhile time out and repeat.
    if (linkStarted_ || channel_.isOpen()) {
        return true;
    }
    if (finished_) {
        return false;
    }
    if (portName_.isEmpty()) {
        finish(exit_status::NoLink, QStringLiteral("No serial port is set: name one with --port."));
        return false;
    }
    const ChannelStartResult result =
        channel_.start(portName_, baudRate_, queuedFrameHandler(&context_, [this](ReceivedFrame f) {
                           if (!finished_) {
                               session_.onFrameReceived(std::move(f));
                           }
                       }));
    if (!result.started()) {
        channel_.stop();
        finish(exit_status::NoLink, linkFailureText(portName_, baudRate_, result));
        return false;
    }
    linkStarted_ = true;
    return true;
}

int CliDevice::sessionQuery(SessionQuery query) {
    switch (query) {
    case SessionQuery::EnsureLink:
        return ensureLink() ? 1 : 0;
    case SessionQuery::AskPassword:
        return askPassword() ? 1 : 0;
    case SessionQuery::RunOpen:
        return 0;
    }
    return 0;
}

bool CliDevice::askPassword() {
    if (finished_) {
        return false;
    }
    console_.endProgress();
    const auto entered = promptPassword("The converter asks for its access password: ");
    if (!entered) {
        return false;
    }
    session_.accessPassword = entered->substr(0, kMaxAccessPassword);
    return true;
}

void CliDevice::postSessionProgress(SessionProgress code, int value) {
    QMetaObject::invokeMethod(
        &context_, [this, code, value] { onProgress(code, value); }, Qt::QueuedConnection);
}

void CliDevice::onProgress(SessionProgress code, int value) {
    if (finished_ || !command_) {
        return;
    }
    if (command_->onProgress(*this, code, value)) {
        return;
    }
    commonReaction(code, value);
}

void CliDevice::commonReaction(SessionProgress code, int value) {
    if (firmwareRefused_ &&
        (code == SessionProgress::FlashLoadEnded || code == SessionProgress::GaveUp)) {
        finish(exit_status::Refused,
               QStringLiteral("The converter's loader waits for new firmware: load it with "
                              "'vandrelctl flash FIRMWARE'."));
        return;
    }
    switch (code) {
    case SessionProgress::GaveUp:
        finish(exit_status::NoAnswer,
               QStringLiteral("The converter did not answer (the request was sent %1 times).")
                   .arg(kRetryLimit + 1));
        return;
    case SessionProgress::LoaderTimedOut:
        finish(exit_status::NoAnswer, QStringLiteral("The converter's loader started, but its "
                                                     "application code did not announce itself."));
        return;
    case SessionProgress::LoaderWaitsForFirmware:
        // The session has asked the loader to take firmware; without a file there is none.
        firmwareRefused_ = true;
        session_.declineFirmware();
        return;
    case SessionProgress::RestartLoader:
        console_.note(QStringLiteral("The converter restarted: its loader runs."));
        return;
    case SessionProgress::RestartCode:
        console_.note(QStringLiteral("The converter's application code runs."));
        if (command_->expectsRestart()) {
            return;
        }
        // The restart ended whatever was under way: start the command over.
        if (++restartsSurvived_ > kRestartLimit) {
            finish(exit_status::Refused, QStringLiteral("The converter keeps restarting."));
            return;
        }
        command_->begin(*this);
        return;
    default:
        break;
    }
    if (!isEndCode(code)) {
        return; // a request went out, or a percentage
    }
    switch (value) {
    case result::Failed:
        finish(exit_status::Refused, QStringLiteral("The converter refused the request%1.")
                                         .arg(statusSuffix(session_.resultHex())));
        return;
    case result::PasswordCancelled:
        finish(exit_status::Refused,
               QStringLiteral("The converter wants its access password: give the right one with "
                              "--password."));
        return;
    case result::PasswordRefused:
        finish(exit_status::Refused,
               QStringLiteral("The converter refused the current access password%1.")
                   .arg(statusSuffix(session_.resultHex())));
        return;
    case result::Cancelled:
        finish(exit_status::Refused, QStringLiteral("The operation was cancelled."));
        return;
    default:
        return;
    }
}

void CliDevice::onInterrupt() {
    if (finished_ || !command_) {
        return;
    }
    command_->interrupt(*this);
}

} // namespace vandrel
