#pragma once

#include "shell/ui/ShellDialog.h"

#include <QString>

#include <memory>
#include <vector>

namespace Ui {
class BackupListDialogForm;
}

namespace vandrel {

// One backup as the list shows it.
struct BackupListEntry {
    QString path;
    QString saved;     // date and time
    QString firmware;  // the converter's firmware version when it was saved
    QString differing; // how many fields differ from the converter's present configuration
};

// The backups to choose from for a restore, newest first. Accepted with a backup chosen.
class BackupListDialog : public ShellDialog {
    Q_OBJECT
public:
    BackupListDialog(std::vector<BackupListEntry> entries, const LanguageManager& languages,
                     QWidget* parent = nullptr);
    ~BackupListDialog() override;

    // The chosen backup; null when none is.
    const BackupListEntry* chosen() const;

private:
    void retranslateColumns();

    std::unique_ptr<Ui::BackupListDialogForm> ui_;
    std::vector<BackupListEntry> entries_;
};

} // namespace vandrel
