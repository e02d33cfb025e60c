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

// How often the converter may restart under a command before the command gives up.
constexpr int kRestartLimit = 3;

} // namespace

void DeviceCommand::interrupt(CliDevice& device) {
    device.finish(exit_status::Refused, QStringLiteral("Interrupted."));
}

CliDevice::CliDevice(const QString& portName, std::uint32_t baudRate, const GlobalOptions& options,
                     Console& console)
    : portName_(portName), baudRate_(baudRate), console_(console), trace_(),
      traceOn_(options.trace) {
    connectSession();
    session_.setAccessPassword(options.password.toStdString());
}

CliDevice::~CliDevice() {
    channel_.stop();
    session_.connect(SessionLinks{});
}

void CliDevice::connectSession() {
    SessionLinks links;
    links.host = this;
    links.monitor = monitorPane_;
    links.trace = traceOn_ ? &trace_ : nullptr;
    links.channel = &channel_;
    links.timers = &timers_;
    session_.connect(links);
}

void CliDevice::setMonitorPane(MonitorPane* pane) {
    monitorPane_ = pane;
    connectSession();
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
    loop_.quit();
}

bool CliDevice::ensureLink() {
    return openLink();
}

bool CliDevice::openLink() {
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

void CliDevice::passwordWanted() {
    // Asked from the event loop, not from inside the frame that brought the refusal.
    QMetaObject::invokeMethod(
        &context_, [this] { askPassword(); }, Qt::QueuedConnection);
}

void CliDevice::askPassword() {
    if (finished_ || !session_.waitingForPassword()) {
        return;
    }
    console_.endProgress();
    std::optional<std::string> entered =
        promptPassword("The converter asks for its access password: ");
    if (finished_) {
        return;
    }
    session_.answerPassword(std::move(entered));
}

void CliDevice::postSessionProgress(SessionProgress code, int value) {
    QMetaObject::invokeMethod(
        &context_, [this, code, value] { onProgress(code, value); }, Qt::QueuedConnection);
}

void CliDevice::operationEnded(const OperationResult& result) {
    QMetaObject::invokeMethod(
        &context_, [this, result] { onEnded(result); }, Qt::QueuedConnection);
}

void CliDevice::onProgress(SessionProgress code, int value) {
    if (finished_ || !command_) {
        return;
    }
    if (command_->onProgress(*this, code, value)) {
        return;
    }
    commonProgress(code, value);
}

void CliDevice::commonProgress(SessionProgress code, int value) {
    switch (code) {
    case SessionProgress::ResetSent:
        if (value == result::Sent && !resetNoted_) {
            resetNoted_ = true;
            console_.note(QStringLiteral("Resetting the converter; waiting for it to restart."));
        }
        return;
    case SessionProgress::RestartLoader:
        console_.note(QStringLiteral("The converter restarted: its loader runs."));
        return;
    case SessionProgress::RestartCode:
        console_.note(QStringLiteral("The converter's application code runs again."));
        if (awaitingRestart_) {
            awaitingRestart_ = false;
            command_->begin(*this);
        }
        return;
    case SessionProgress::LoaderTimedOut:
        loaderTimedOut_ = true;
        return;
    case SessionProgress::LoaderWaitsForFirmware:
        // The session has asked the loader to take firmware; without a file there is none.
        firmwareRefused_ = true;
        awaitingRestart_ = false;
        session_.declineFirmware();
        return;
    default:
        return;
    }
}

void CliDevice::onEnded(const OperationResult& result) {
    if (finished_ || !command_ || result.outcome == Outcome::Replaced) {
        return;
    }
    // The session's own wait for the application code matters only when it gives up.
    if (result.kind == OperationKind::LoaderWait && result.outcome != Outcome::GaveUp) {
        return;
    }
    if (firmwareRefused_ && result.kind == OperationKind::FlashLoading) {
        finish(exit_status::Refused,
               QStringLiteral("The converter's loader waits for new firmware: load it with "
                              "'vandrelctl flash FIRMWARE'."));
        return;
    }
    if (command_->onEnded(*this, result)) {
        return;
    }
    commonEnd(result);
}

void CliDevice::commonEnd(const OperationResult& result) {
    switch (result.outcome) {
    case Outcome::Done:
    case Outcome::Replaced:
        return;
    case Outcome::GaveUp:
        if (loaderTimedOut_) {
            finish(exit_status::NoAnswer,
                   QStringLiteral("The converter's loader started, but its application code did "
                                  "not announce itself."));
            return;
        }
        finish(exit_status::NoAnswer,
               QStringLiteral("The converter did not answer (the request was sent %1 times).")
                   .arg(kRetryLimit + 1));
        return;
    case Outcome::Refused:
        finish(exit_status::Refused, QStringLiteral("The converter refused the request%1.")
                                         .arg(statusSuffix(result.status)));
        return;
    case Outcome::PasswordCancelled:
        finish(exit_status::Refused,
               QStringLiteral("The converter wants its access password: give the right one with "
                              "--password."));
        return;
    case Outcome::PasswordRefused:
        finish(exit_status::Refused,
               QStringLiteral("The converter refused the current access password%1.")
                   .arg(statusSuffix(result.status)));
        return;
    case Outcome::Cancelled:
        finish(exit_status::Refused, QStringLiteral("The operation was cancelled."));
        return;
    case Outcome::LinkLost:
        finish(exit_status::NoLink, QStringLiteral("The serial link on %1 was lost.")
                                        .arg(devicePathForPortName(portName_)));
        return;
    case Outcome::FileError:
        finish(exit_status::BadFile, QStringLiteral("A file could not be read or written."));
        return;
    case Outcome::CutShortByRestart:
        startOverAfterRestart(result);
        return;
    }
}

void CliDevice::startOverAfterRestart(const OperationResult& result) {
    if (!command_->startsOverAfterRestart()) {
        finish(exit_status::Refused,
               QStringLiteral("The converter restarted before the operation was complete."));
        return;
    }
    if (++restartsSurvived_ > kRestartLimit) {
        finish(exit_status::Refused, QStringLiteral("The converter keeps restarting."));
        return;
    }
    switch (result.restart) {
    case RestartKind::Code:
        // The application code runs already: the restart ended whatever was under way.
        command_->begin(*this);
        return;
    case RestartKind::Loader:
        awaitingRestart_ = true; // once the application code announces itself
        return;
    default:
        return; // the loader waits for firmware: the session has asked for it
    }
}

void CliDevice::onInterrupt() {
    if (finished_ || !command_) {
        return;
    }
    command_->interrupt(*this);
}

} // namespace vandrel
