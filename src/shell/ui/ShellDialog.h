#pragma once

#include <QDialog>

namespace vandrel {

class LanguageManager;

// Base of the program's modal dialogs: the numeric texts of the form are translated once the
// form is set up, and the dialog opens centred over its owner and kept on the screen.
class ShellDialog : public QDialog {
    Q_OBJECT
protected:
    ShellDialog(const LanguageManager& languages, QWidget* parent);
    // Call after the form is set up (and numeric texts chosen by mode are in place).
    void translateTexts();
    void showEvent(QShowEvent* event) override;

    const LanguageManager& languages_;

private:
    bool placed_ = false;
};

} // namespace vandrel
