#pragma once

#include <QDialog>

class QLabel;

namespace vandrel {

class LanguageManager;

// Shown while the converter restarts: a bold note and a plain one, no buttons. The user cannot
// close it; it ends only through finish().
class WaitDialog : public QDialog {
    Q_OBJECT
public:
    WaitDialog(const LanguageManager& language, QWidget* owner);

    // The bold note (a text id).
    void setNote(int textId);
    int note() const { return note_; }
    // Ends the dialog with result 1.
    void finish();
    bool finishing() const { return finishing_; }
    // Sets the texts again after a language switch.
    void retranslate();

protected:
    void reject() override;                       // Esc does nothing
    void closeEvent(QCloseEvent* event) override; // nor does the close box

private:
    const LanguageManager& language_;
    QLabel* noteLabel_;
    QLabel* hintLabel_;
    int note_ = 0;
    bool finishing_ = false;
};

} // namespace vandrel
