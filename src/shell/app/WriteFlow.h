#pragma once

#include "config/ConverterConfig.h"
#include "configview/CompareView.h"
#include "shell/app/DeviceGateway.h"
#include "shell/ui/BackupListDialog.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QWidget;

namespace vandrel {

class LanguageManager;
class Prompter;
class WindowSettings;

// Writes a configuration from the window to the converter the safe way: it reads what the
// converter holds, shows what the write would change and lets the user write or cancel (when
// the settings ask for a review), saves what the converter held as a backup (when they ask for
// one; a backup that cannot be saved stops the write), and only then writes. File > Restore
// backup goes the same way with a backup the user picks from a list.
class WriteFlow : public QObject {
    Q_OBJECT
public:
    WriteFlow(DeviceGateway& gateway, const LanguageManager& language, Prompter& prompter,
              const WindowSettings& settings, QWidget* window);
    ~WriteFlow() override;

    // Writes `record` (its access password stamped) to the converter.
    void write(const ConverterConfig& record);
    // Lists the backups with what they change, and writes the chosen one.
    void restoreBackup();

    // A write or restore is under way: reading, in review or choosing a backup.
    bool running() const { return step_ != Step::Idle; }
    // The review and the backup list while they are open (null otherwise).
    CompareView* review() const { return review_; }
    BackupListDialog* backupList() const { return list_; }

signals:
    // A row of the review was double-clicked: the window shows that page and control.
    void controlWanted(int pageId, const QString& control);
    // A note for the status bar.
    void statusNote(const QString& text);

private:
    enum class Step { Idle, Reading, Choosing, Reviewing };
    enum class Purpose { Write, Restore };

    void readConverter(Purpose purpose);
    void onConverterRead(Purpose purpose, std::optional<ConverterSnapshot> snapshot);
    void listBackups();
    void onBackupChosen(const QString& path, const QString& saved);
    void openReview(const QString& rightCaption);
    void backupAndWrite();
    void tell(int textId, const QStringList& args);

    DeviceGateway& gateway_;
    const LanguageManager& language_;
    Prompter& prompter_;
    const WindowSettings& settings_;
    QWidget* window_;

    Step step_ = Step::Idle;
    QString backupNote_;                       // named again when the write has ended
    ConverterConfig record_;                   // what is to be written
    std::optional<ConverterSnapshot> present_; // what the converter holds now
    QPointer<CompareView> review_;
    QPointer<BackupListDialog> list_;
};

} // namespace vandrel
