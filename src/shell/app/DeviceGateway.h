#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"
#include "language/MessageStyle.h"
#include "protocol/OperationResult.h"
#include "protocol/SessionInterfaces.h"
#include "protocol/SessionTypes.h"
#include "shell/app/ProgressTable.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace vandrel {

class ChangePasswordDialog;
class DeviceSession;
class FlashProgressDialog;
class LanguageManager;
class PasswordDialog;
class Prompter;
class SerialChannel;
class SystemMonitorPane;
class WaitDialog;

// The window's one way to the converter. It starts every device operation the window runs and
// is the session's host: it receives every progress report, every result and the converter's
// wish for the password, and it hears from the channel when the port goes and comes back. It
// owns the busy state, the wait dialog shown while the converter restarts, the FLASH progress
// dialog, the change-password dialog and the password question, and it tells the user how each
// operation ended, in a box modal to the window. The window's parts say what the user wants
// (the monitor pane's and the change-password dialog's signals) and never call the session.
// The converter's configuration as a read found it, with its device information when that came.
struct ConverterSnapshot {
    ConverterConfig record;
    std::optional<DeviceInfo> info;
};

class DeviceGateway : public QObject, public SessionHost {
    Q_OBJECT
public:
    enum class Transfer { None, Loading, Downloading };

    // `openLink` opens the port on demand before an operation starts (it may ask the user for
    // a port name) and answers whether it is open.
    DeviceGateway(DeviceSession& session, SerialChannel& channel, TimerService& timers,
                  const LanguageManager& language, Prompter& prompter,
                  std::function<bool()> openLink, QWidget* window);
    ~DeviceGateway() override;
    DeviceGateway(const DeviceGateway&) = delete;
    DeviceGateway& operator=(const DeviceGateway&) = delete;

    // The monitor pane: its wishes come here, the session shows the converter's text in it.
    void attachMonitorPane(SystemMonitorPane* pane);

    // A device operation runs, or the user answers a question of one: the window takes no
    // commands.
    bool busy() const;
    Transfer transfer() const { return transfer_; }
    // The link is open and the converter answered the last request.
    bool converterResponding() const;
    bool linkOpen() const;
    // Monitoring runs: the user switched it on, the converter confirmed, and the link is there.
    bool monitoringRunning() const;

    // --- What the window starts. False when nothing went out (no link).
    bool readConfiguration();
    // Reads the converter's configuration for a comparison, a review or a backup, leaving the
    // document alone. `taken` gets the configuration once the read has ended, or nothing when it
    // failed (the failure is told as for every read). False, and no call, when nothing went out.
    bool readForComparison(std::function<void(std::optional<ConverterSnapshot>)> taken);
    // Writes `record` (its access password stamped), resets the converter, and (when the
    // setting says so) reads the configuration back and compares.
    bool writeConfiguration(const ConverterConfig& record);
    bool resetConverter();
    // FLASH loading of a firmware file that the user chose, that passed the header check and
    // that the user confirmed.
    bool startFlashLoading(const std::string& firmwarePath);
    // The converter's loader asked for firmware: the file the user confirmed for it, or none.
    void supplyFirmware(const std::string& firmwarePath);
    void declineFirmware();
    // FLASH downloading into `imagePath`; an existing file is replaced only by a whole image.
    bool startFlashDownloading(const std::string& imagePath);
    void setMonitoring(bool on);
    void sendCommandLine(const QByteArray& line);
    void setProtocolTrace(bool on);
    // The window closes: monitoring that runs is switched off.
    void stopMonitoringForClose();
    void openChangePassword();

    // The converter's access password as the session sends it.
    const std::string& accessPassword() const;

    // The write's read-back; on unless the user switched it off.
    void setReadBackAfterWrite(bool on) { readBack_ = on; }
    bool readBackAfterWrite() const { return readBack_; }
    // Names a record offset as the pages name its field ("Page: label"), narrowed to what differs
    // between what was written and what was read back; set by the window.
    using FieldNamer = std::function<QString(std::size_t offset, const ConverterConfig& written,
                                             const ConverterConfig& readBack)>;
    void setFieldNamer(FieldNamer namer) { nameField_ = std::move(namer); }

    // The operation dialogs while they exist (null otherwise).
    WaitDialog* waitDialog() const;
    FlashProgressDialog* progressDialog() const;
    ChangePasswordDialog* changePasswordDialog() const;
    PasswordDialog* passwordDialog() const;

    // Texts again after a language switch.
    void retranslate();

    // SessionHost.
    bool ensureLink() override;
    void postSessionProgress(SessionProgress code, int value) override;
    void operationEnded(const OperationResult& result) override;
    void passwordWanted() override;
    void fatalOutOfMemory() override;

signals:
    // Menus, toolbar, tabs, shortcuts, drops and closing follow it.
    void busyChanged(bool busy);
    // The configuration read from the converter, with its device information when that came.
    void configurationRead(const ConverterConfig& record, const std::optional<DeviceInfo>& info);
    // The converter's loader waits for firmware: the user chooses, the file is checked and the
    // user confirms; then supplyFirmware or declineFirmware.
    void firmwareWanted();
    // A note for the status bar (a read's progress); empty: none.
    void statusNote(const QString& text);
    // The user's stop of monitoring is done and the user wants the log saved.
    void saveLogWanted();
    // Link, monitoring or the session's state changed: command states and status texts again.
    void stateChanged();
    // An operation ended and its result was told (not sent for a read taken for a comparison).
    void resultTold(OperationKind kind);

private:
    // `packet`: the configuration packet outstanding when the report was posted.
    void onProgress(SessionProgress code, int value, int packet);
    void onEnded(const OperationResult& result);
    static ConverterSnapshot snapshotOf(const OperationResult& result);
    void onLinkState(bool open);
    void onPasswordFinished(int result);
    void tell(const OperationResult& result);
    void show(int textId, int captionId, MessageIcon icon, const QStringList& args = {});
    void updateBusy();

    void applyDialog(DialogAction action, int value);
    void showWait();
    void closeWait();
    void openProgress(Transfer transfer);
    void resumeProgress();
    void endTransfer();
    void onCancelRequested();
    void cancelConfirmed();
    void closePasswordQuestion();
    void monitorEnded(const OperationResult& result);
    void passwordChangeEnded(const OperationResult& result);
    void startPasswordChange(const QByteArray& newPassword, const QByteArray& currentPassword);
    void connectSession();

    DeviceSession& session_;
    SerialChannel& channel_;
    TimerService& timers_;
    const LanguageManager& language_;
    Prompter& prompter_;
    std::function<bool()> openLink_;
    QWidget* window_;
    QPointer<SystemMonitorPane> pane_;
    FieldNamer nameField_;
    ConverterConfig written_; // the record of the last write, to name what its read-back found
    // The taker of the read under way when it is no read for the document.
    std::function<void(std::optional<ConverterSnapshot>)> snapshotTaker_;

    bool busy_ = false;
    int resultsQueued_ = 0;
    Transfer transfer_ = Transfer::None;
    bool cancelQuestionOpen_ = false;
    bool readBack_ = true;
    // Monitoring the user switched on, to be switched on again when the link comes back.
    bool monitoringWanted_ = false;
    bool userStopsMonitoring_ = false;
    bool monitoringResumes_ = false;
    bool linkOpen_ = true;
    // Set by the progress reports that decide how a give-up reads.
    bool loaderTimedOut_ = false;
    bool restartAwaited_ = false;
    QPointer<WaitDialog> wait_;
    QPointer<FlashProgressDialog> progress_;
    QPointer<ChangePasswordDialog> changePassword_;
    QPointer<PasswordDialog> password_;
    // Queued calls (progress, results, link state) die with the gateway.
    QObject context_;
};

} // namespace vandrel
