#include "shell/app/DeviceGateway.h"

#include "language/LanguageManager.h"
#include "language/TextFormat.h"
#include "language/TextIds.h"
#include "link/QueuedFrameHandler.h"
#include "link/SerialChannel.h"
#include "protocol/DeviceSession.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/ResultMessages.h"
#include "shell/app/WaitDialog.h"
#include "shell/ui/ChangePasswordDialog.h"
#include "shell/ui/PasswordDialog.h"
#include "shell/ui/Prompter.h"
#include "shell/ui/SystemMonitorPane.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace vandrel {

DeviceGateway::DeviceGateway(DeviceSession& session, SerialChannel& channel, TimerService& timers,
                             const LanguageManager& language, Prompter& prompter,
                             std::function<bool()> openLink, QWidget* window)
    : QObject(window), session_(session), channel_(channel), timers_(timers), language_(language),
      prompter_(prompter), openLink_(std::move(openLink)), window_(window) {
    channel_.setFrameHandler(queuedFrameHandler(
        &context_, [this](ReceivedFrame frame) { session_.onFrameReceived(std::move(frame)); }));
    channel_.setLinkStateHandler([this](bool open) {
        QMetaObject::invokeMethod(
            &context_, [this, open] { onLinkState(open); }, Qt::QueuedConnection);
    });
    connectSession();
}

void DeviceGateway::connectSession() {
    SessionLinks links;
    links.host = this;
    links.monitor = pane_;
    links.trace = pane_ && pane_->protocolTraceOn() ? &pane_->traceLog() : nullptr;
    links.channel = &channel_;
    links.timers = &timers_;
    session_.connect(links);
}

DeviceGateway::~DeviceGateway() {
    // Nothing reaches a window that is going away: frames still on their way are dropped.
    channel_.setFrameHandler([](ReceivedFrame) {});
    channel_.setLinkStateHandler({});
    session_.connect(SessionLinks{});
    if (busy_) {
        QApplication::restoreOverrideCursor();
    }
    delete wait_;
    delete progress_;
    delete changePassword_;
    delete password_;
}

void DeviceGateway::attachMonitorPane(SystemMonitorPane* pane) {
    pane_ = pane;
    connectSession();
    if (pane == nullptr) {
        return;
    }
    connect(pane, &SystemMonitorPane::monitoringWanted, this, &DeviceGateway::setMonitoring);
    connect(pane, &SystemMonitorPane::commandLineWanted, this, &DeviceGateway::sendCommandLine);
    connect(pane, &SystemMonitorPane::protocolTraceWanted, this, &DeviceGateway::setProtocolTrace);
}

// --- State.

bool DeviceGateway::busy() const {
    // Until its result has been handled an operation is not over for the window.
    return session_.operation() != OperationKind::None || resultsQueued_ > 0 ||
           transfer_ != Transfer::None || password_ != nullptr;
}

bool DeviceGateway::linkOpen() const {
    return channel_.isOpen();
}

bool DeviceGateway::converterResponding() const {
    return session_.isResponding();
}

bool DeviceGateway::monitoringRunning() const {
    return pane_ && pane_->monitoringOn() && channel_.isOpen();
}

void DeviceGateway::updateBusy() {
    const bool now = busy();
    if (now != busy_) {
        busy_ = now;
        if (now) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
        emit busyChanged(now);
    }
    emit stateChanged();
}

const std::string& DeviceGateway::accessPassword() const {
    return session_.accessPassword();
}

// --- What the window starts.

bool DeviceGateway::readConfiguration() {
    snapshotTaker_ = nullptr;
    const bool sent = session_.requestConfigRead();
    updateBusy();
    return sent;
}

bool DeviceGateway::readForComparison(std::function<void(std::optional<ConverterSnapshot>)> taken) {
    snapshotTaker_ = std::move(taken);
    const bool sent = session_.requestConfigRead();
    if (!sent) {
        snapshotTaker_ = nullptr;
    }
    updateBusy();
    return sent;
}

ConverterSnapshot DeviceGateway::snapshotOf(const OperationResult& result) {
    ConverterSnapshot snapshot;
    if (result.config) {
        std::copy(result.config->begin(), result.config->end(), snapshot.record.bytes.begin());
    }
    if (result.systemInfo) {
        DeviceInfo& info = snapshot.info.emplace();
        SetVersionText(info.firmwareVersion, result.systemInfo->firmwareVersion);
        SetVersionText(info.loaderVersion, result.systemInfo->loaderVersion);
        info.systemInfoNumber = result.systemInfo->partition;
    }
    return snapshot;
}

bool DeviceGateway::writeConfiguration(const ConverterConfig& record) {
    ConfigImage image;
    std::copy(record.bytes.begin(), record.bytes.end(), image.begin());
    const bool sent = session_.requestConfigWrite(image, readBack_);
    if (sent) {
        written_ = record;
    }
    updateBusy();
    return sent;
}

bool DeviceGateway::resetConverter() {
    const bool sent = session_.requestReset();
    updateBusy();
    return sent;
}

bool DeviceGateway::startFlashLoading(const std::string& firmwarePath) {
    if (!session_.startFlashLoading(firmwarePath)) {
        return false;
    }
    openProgress(Transfer::Loading);
    return true;
}

void DeviceGateway::supplyFirmware(const std::string& firmwarePath) {
    if (transfer_ != Transfer::Loading || progress_) {
        return; // the converter gave up meanwhile
    }
    if (!session_.supplyFirmware(firmwarePath)) {
        endTransfer();
        return;
    }
    openProgress(Transfer::Loading);
}

void DeviceGateway::declineFirmware() {
    if (transfer_ != Transfer::Loading || progress_) {
        return;
    }
    if (!session_.awaitingFirmware()) {
        endTransfer(); // nothing waits any more
        return;
    }
    // The converter's answer to the cancel ends the loading.
    session_.declineFirmware();
    updateBusy();
}

bool DeviceGateway::startFlashDownloading(const std::string& imagePath) {
    switch (session_.startFlashDownloading(imagePath)) {
    case DeviceSession::DownloadStart::Started:
        openProgress(Transfer::Downloading);
        return true;
    case DeviceSession::DownloadStart::FileError: {
        OperationResult failed;
        failed.kind = OperationKind::FlashDownloading;
        failed.outcome = Outcome::FileError;
        tell(failed);
        return false;
    }
    case DeviceSession::DownloadStart::NoLink:
        break;
    }
    return false;
}

void DeviceGateway::setMonitoring(bool on) {
    monitoringWanted_ = on;
    userStopsMonitoring_ = !on;
    monitoringResumes_ = false;
    if (on && !channel_.isOpen() && !ensureLink()) {
        monitoringWanted_ = false;
        updateBusy();
        return;
    }
    if (!session_.requestMonitor(on)) {
        userStopsMonitoring_ = false;
        if (!on && pane_) {
            pane_->setMonitoring(false); // nothing to switch off on a converter not there
        }
    }
    updateBusy();
}

void DeviceGateway::sendCommandLine(const QByteArray& line) {
    // A line typed while the port is away would vanish: the user hears why instead.
    if (!channel_.isOpen()) {
        show(text::CommandNotSent, text::CaptionError, MessageIcon::Warning);
        return;
    }
    session_.requestMonitorText(line.toStdString());
    updateBusy();
}

void DeviceGateway::setProtocolTrace(bool on) {
    session_.setTrace(on && pane_ ? &pane_->traceLog() : nullptr);
}

void DeviceGateway::stopMonitoringForClose() {
    monitoringWanted_ = false;
    if (pane_ && pane_->monitoringOn() && channel_.isOpen()) {
        session_.requestMonitor(false);
    }
}

void DeviceGateway::openChangePassword() {
    if (changePassword_) {
        changePassword_->activateWindow();
        return;
    }
    changePassword_ = new ChangePasswordDialog(language_, prompter_, window_);
    connect(changePassword_, &ChangePasswordDialog::changeRequested, this,
            &DeviceGateway::startPasswordChange);
    connect(changePassword_, &QDialog::finished, this, [this] {
        if (ChangePasswordDialog* dialog = changePassword_) {
            changePassword_ = nullptr;
            dialog->deleteLater();
        }
        // A change still under way is dropped with its dialog.
        if (session_.operation() == OperationKind::PasswordChange) {
            session_.cancel();
        }
        updateBusy();
    });
    changePassword_->open();
}

void DeviceGateway::startPasswordChange(const QByteArray& newPassword,
                                        const QByteArray& currentPassword) {
    if (session_.requestPasswordChange(newPassword.toStdString(), currentPassword.toStdString()) &&
        changePassword_) {
        changePassword_->waitForConverter();
    }
    updateBusy();
}

// --- SessionHost.

bool DeviceGateway::ensureLink() {
    const bool open = openLink_ && openLink_();
    linkOpen_ = channel_.isOpen();
    emit stateChanged();
    return open;
}

void DeviceGateway::postSessionProgress(SessionProgress code, int value) {
    // The packet going out now; by the time the report is handled the next may be on its way.
    const int packet = session_.packetNumber();
    QMetaObject::invokeMethod(
        &context_, [this, code, value, packet] { onProgress(code, value, packet); },
        Qt::QueuedConnection);
}

void DeviceGateway::operationEnded(const OperationResult& result) {
    ++resultsQueued_;
    QMetaObject::invokeMethod(
        &context_,
        [this, result] {
            --resultsQueued_;
            onEnded(result);
        },
        Qt::QueuedConnection);
}

void DeviceGateway::passwordWanted() {
    // The operation waits without a timer; its dialogs step aside until the next report.
    closeWait();
    if (progress_) {
        progress_->hide();
    }
    if (password_) {
        return;
    }
    password_ = new PasswordDialog(language_, window_);
    prompter_.openDialog(*password_, [this](int result) { onPasswordFinished(result); });
    updateBusy();
}

void DeviceGateway::onPasswordFinished(int result) {
    PasswordDialog* dialog = password_;
    if (dialog == nullptr) {
        return;
    }
    password_ = nullptr;
    std::optional<std::string> entered;
    if (result == QDialog::Accepted) {
        entered = dialog->passwordBytes();
    }
    dialog->deleteLater();
    if (!entered && session_.waitingForPassword()) {
        show(text::PasswordMissing, text::CaptionPassword, MessageIcon::Error);
    }
    session_.answerPassword(std::move(entered));
    resumeProgress();
    updateBusy();
}

void DeviceGateway::closePasswordQuestion() {
    if (PasswordDialog* dialog = password_) {
        password_ = nullptr;
        dialog->reject();
        dialog->deleteLater();
    }
}

void DeviceGateway::fatalOutOfMemory() {
    language_.FormatMessageBox(text::FatalErrorFormat, text::CaptionFatal,
                               MessageStyle{MessageButtons::Ok, MessageIcon::Error},
                               {FormatArg(language_.Text(text::OutOfMemory))});
    std::exit(1);
}

// --- Progress.

void DeviceGateway::onProgress(SessionProgress code, int value, int packet) {
    switch (code) {
    case SessionProgress::LoaderTimedOut:
        loaderTimedOut_ = true;
        break;
    case SessionProgress::ResetSent:
    case SessionProgress::RestartLoader:
        restartAwaited_ = code == SessionProgress::ResetSent ? value == result::Sent : true;
        break;
    default:
        break;
    }
    if (const ProgressReaction* reaction = findProgressReaction(code, value)) {
        applyDialog(reaction->dialog, value);
        switch (reaction->follow) {
        case Follow::None:
            break;
        case Follow::ReadProgress: {
            const FormatArg shown(QString::number(packet + 1));
            emit statusNote(
                FormatText(language_.Text(text::ReadProgressFormat), std::span(&shown, 1)));
            break;
        }
        case Follow::CancelPasswordChange:
            if (changePassword_) {
                changePassword_->cancelRequest();
            }
            break;
        case Follow::ChooseFirmware:
            if (transfer_ == Transfer::None) {
                transfer_ = Transfer::Loading;
                emit firmwareWanted();
            }
            break;
        }
    }
    updateBusy();
}

void DeviceGateway::applyDialog(DialogAction action, int value) {
    switch (action) {
    case DialogAction::None:
        break;
    case DialogAction::ShowWait:
        showWait();
        break;
    case DialogAction::CloseWait:
        closeWait();
        break;
    case DialogAction::ResumeTransfer:
        closeWait();
        resumeProgress();
        break;
    case DialogAction::ShowProgress:
        resumeProgress();
        if (progress_) {
            progress_->setPosition(value);
        }
        break;
    case DialogAction::FinishProgress:
        if (progress_) {
            progress_->setPosition(FlashProgressDialog::kMaximum);
        }
        break;
    case DialogAction::CloseAll:
        closeWait();
        if (progress_) {
            progress_->closeDialog();
        }
        break;
    }
}

// --- Results.

void DeviceGateway::onEnded(const OperationResult& result) {
    emit statusNote(QString());
    if (!session_.waitingForPassword()) {
        closePasswordQuestion(); // the operation that asked is over
    }
    if (session_.operation() == OperationKind::None) {
        closeWait();
    }
    switch (result.kind) {
    case OperationKind::ConfigRead:
        if (result.config && !snapshotTaker_) {
            const ConverterSnapshot snapshot = snapshotOf(result);
            emit configurationRead(snapshot.record, snapshot.info);
        }
        break;
    case OperationKind::FlashLoading:
    case OperationKind::FlashDownloading:
        if (result.outcome != Outcome::Replaced) {
            endTransfer();
        }
        break;
    case OperationKind::MonitorSwitch:
    case OperationKind::MonitorCommand:
        monitorEnded(result);
        break;
    case OperationKind::PasswordChange:
        passwordChangeEnded(result);
        break;
    default:
        break;
    }
    if (result.outcome == Outcome::GaveUp && pane_ && pane_->monitoringOn()) {
        pane_->setMonitoring(false); // the converter does not answer: nothing is monitored
        monitoringWanted_ = false;
    }
    // A read for a comparison that got the configuration goes on without the device
    // information: the one who asked says what it lacks.
    const bool snapshotTaken =
        result.kind == OperationKind::ConfigRead && snapshotTaker_ && result.config;
    if (result.outcome == Outcome::GaveUp && changePassword_) {
        changePassword_->passwordRefused(ChangePasswordDialog::kNoAnswer, QString());
    } else if (!snapshotTaken) {
        tell(result);
    }
    if (session_.operation() == OperationKind::None) {
        loaderTimedOut_ = false;
        restartAwaited_ = false;
    }
    updateBusy();
    if (result.kind == OperationKind::ConfigRead && snapshotTaker_) {
        // Last: the taker may start the next operation or open a dialog.
        auto taker = std::move(snapshotTaker_);
        snapshotTaker_ = nullptr;
        if (result.config) {
            taker(snapshotOf(result));
        } else {
            taker(std::nullopt);
        }
        return;
    }
    emit resultTold(result.kind);
}

void DeviceGateway::monitorEnded(const OperationResult& result) {
    if (result.kind == OperationKind::MonitorCommand) {
        if (result.ok() && pane_) {
            pane_->clearCommandField();
        }
        return;
    }
    if (!result.ok() || result.monitoringOn) {
        if (result.ok() && monitoringResumes_ && pane_) {
            // Back after the port returned: the converter gets the mask it had.
            monitoringResumes_ = false;
            sendCommandLine(pane_->maskCommand());
        }
        return;
    }
    if (!userStopsMonitoring_) {
        return;
    }
    userStopsMonitoring_ = false;
    // The user stopped monitoring: the log may be worth keeping.
    const std::optional<MessageRequest> question = language_.Message(
        text::SaveLogQuestion, text::MonitorTab, {MessageButtons::YesNo, MessageIcon::Question});
    if (question) {
        QPointer<DeviceGateway> self(this);
        prompter_.show(*question, window_, [self](int answer) {
            if (self && answer == ResultYes) {
                emit self->saveLogWanted();
            }
        });
    }
}

void DeviceGateway::passwordChangeEnded(const OperationResult& result) {
    if (!changePassword_) {
        return;
    }
    switch (result.outcome) {
    case Outcome::Done:
        changePassword_->passwordAccepted();
        break;
    case Outcome::PasswordRefused:
        changePassword_->passwordRefused(ChangePasswordDialog::kWrongPassword,
                                         QString::fromStdString(result.status));
        break;
    case Outcome::Refused:
        changePassword_->passwordRefused(result::Failed, QString::fromStdString(result.status));
        break;
    case Outcome::CutShortByRestart:
        changePassword_->cancelRequest();
        break;
    case Outcome::GaveUp:
        break; // told below, as every give-up
    default:
        changePassword_->passwordRefused(ChangePasswordDialog::kNoAnswer, QString());
        break;
    }
}

void DeviceGateway::tell(const OperationResult& result) {
    ResultContext context;
    context.loaderTimedOut = loaderTimedOut_;
    context.restartAwaited = restartAwaited_;
    if (nameField_ && result.kind == OperationKind::ConfigWrite && result.config) {
        ConverterConfig readBack;
        std::copy(result.config->begin(), result.config->end(), readBack.bytes.begin());
        context.nameField = [this, readBack](std::size_t offset) {
            return nameField_(offset, written_, readBack);
        };
    }
    const std::optional<ResultMessage> message = resultMessage(result, context, language_);
    if (message) {
        show(message->text, message->caption, message->icon, message->args);
    }
}

void DeviceGateway::show(int textId, int captionId, MessageIcon icon, const QStringList& args) {
    std::vector<FormatArg> formatArgs;
    for (const QString& arg : args) {
        formatArgs.emplace_back(arg);
    }
    const std::optional<MessageRequest> message =
        language_.Message(textId, captionId, MessageStyle{MessageButtons::Ok, icon}, formatArgs);
    if (message) {
        // Over the main window, never over a dialog that is closing.
        prompter_.show(*message, window_);
    }
}

// --- The link.

void DeviceGateway::onLinkState(bool open) {
    linkOpen_ = open;
    if (!open) {
        // The operation under way cannot go on; it ends now rather than after its time-outs.
        session_.onLinkLost();
    } else if (monitoringWanted_ && pane_ && session_.operation() == OperationKind::None) {
        // Monitoring the user switched on goes on once the converter is back.
        monitoringResumes_ = true;
        session_.requestMonitor(true);
    }
    updateBusy();
}

// --- Dialogs.

void DeviceGateway::showWait() {
    if (!wait_) {
        wait_ = new WaitDialog(language_, window_);
    }
    wait_->setNote(text::WaitRestarting);
    // During the password question the dialog waits for the next report to come back.
    if (!password_ && !wait_->isVisible()) {
        wait_->open();
    }
}

void DeviceGateway::closeWait() {
    if (!wait_) {
        return;
    }
    WaitDialog* dialog = wait_;
    wait_ = nullptr;
    dialog->finish();
    dialog->deleteLater();
}

void DeviceGateway::openProgress(Transfer transfer) {
    transfer_ = transfer;
    delete progress_;
    progress_ = new FlashProgressDialog(transfer == Transfer::Loading
                                            ? FlashProgressDialog::Mode::Loading
                                            : FlashProgressDialog::Mode::Downloading,
                                        language_, window_);
    connect(progress_, &FlashProgressDialog::cancelRequested, this,
            &DeviceGateway::onCancelRequested);
    if (!password_) {
        progress_->open();
    }
    updateBusy();
}

void DeviceGateway::resumeProgress() {
    if (progress_ && !password_ && !progress_->ended() && !progress_->isVisible()) {
        progress_->open();
    }
}

void DeviceGateway::endTransfer() {
    transfer_ = Transfer::None;
    cancelQuestionOpen_ = false;
    if (progress_) {
        FlashProgressDialog* dialog = progress_;
        progress_ = nullptr;
        dialog->closeDialog();
        dialog->deleteLater();
    }
    updateBusy();
}

void DeviceGateway::onCancelRequested() {
    if (!progress_ || progress_->ended() || cancelQuestionOpen_) {
        return;
    }
    const bool loading = progress_->mode() == FlashProgressDialog::Mode::Loading;
    const std::optional<MessageRequest> question = language_.Message(
        loading ? text::FlashLoadCancelQuestion : text::FlashDownloadCancelQuestion,
        text::CaptionConfirm, MessageStyle{MessageButtons::YesNo, MessageIcon::Warning, ResultNo});
    if (!question) {
        return; // no texts: nothing can be asked, so nothing is stopped
    }
    cancelQuestionOpen_ = true;
    QPointer<DeviceGateway> self(this);
    prompter_.show(*question, progress_, [self](int answer) {
        if (!self) {
            return;
        }
        self->cancelQuestionOpen_ = false;
        if (answer == ResultYes) {
            self->cancelConfirmed();
        }
    });
}

void DeviceGateway::cancelConfirmed() {
    // The transfer may have ended while the question was open.
    if (!progress_ || progress_->ended()) {
        return;
    }
    progress_->cancelConfirmed();
    // A loading ends with the converter's answer to the cancel; a download stops at once,
    // sending nothing. Either way the result follows.
    session_.cancel();
    updateBusy();
}

WaitDialog* DeviceGateway::waitDialog() const {
    return wait_;
}

FlashProgressDialog* DeviceGateway::progressDialog() const {
    return progress_;
}

ChangePasswordDialog* DeviceGateway::changePasswordDialog() const {
    return changePassword_;
}

PasswordDialog* DeviceGateway::passwordDialog() const {
    return password_;
}

void DeviceGateway::retranslate() {
    if (wait_) {
        wait_->retranslate();
    }
    if (progress_) {
        progress_->retranslate();
    }
}

} // namespace vandrel
