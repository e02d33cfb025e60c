#pragma once

#include "shell/ui/PortEntries.h"
#include "shell/ui/ShellDialog.h"

#include <QString>

#include <memory>

class QStandardItemModel;

namespace Ui {
class PortDialogForm;
}

namespace vandrel {

// Chooses the serial port: the usable ports with their descriptions, the configured one
// selected; a configured name that is not listed stays in the edit field, and any name may be
// typed. An empty field cannot be confirmed.
class PortDialog : public ShellDialog {
    Q_OBJECT
public:
    PortDialog(const QString& currentName, const LanguageManager& languages,
               QWidget* parent = nullptr, const PortLister& lister = systemPortEntries);
    ~PortDialog() override;

    // The confirmed name; read it after the dialog ended with Accepted.
    QString portName() const { return chosen_; }

private:
    void fill(const std::vector<PortEntry>& ports, const QString& currentName);
    void confirm();

    std::unique_ptr<Ui::PortDialogForm> ui_;
    QStandardItemModel* model_;
    QString chosen_;
};

} // namespace vandrel
