#pragma once

#include <QDialog>

class QProgressBar;
class QPushButton;

namespace vandrel {

class LanguageManager;

// The progress of a FLASH transfer with its Cancel button. Cancel (and Esc, and the close box)
// only asks its owner to cancel: the owner asks the user and, on Yes, calls cancelConfirmed.
class FlashProgressDialog : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Loading = 1, Downloading = 2 };
    static constexpr int kMaximum = 100;
    static constexpr int kCloseDelayMs = 100;

    FlashProgressDialog(Mode mode, const LanguageManager& language, QWidget* owner);

    Mode mode() const { return mode_; }
    int position() const;
    // At the maximum the button becomes OK and the dialog closes itself shortly after.
    void setPosition(int percent);
    // Ends the dialog at once (the outcome is reported elsewhere).
    void closeDialog();
    // The user confirmed the cancel: the dialog ends with result 2.
    void cancelConfirmed();
    // Closed, or closing by itself at the maximum: it is not shown again.
    bool ended() const { return finishing_; }
    bool closedMark() const { return closed_; }
    QPushButton* cancelButton() const { return cancel_; }
    void retranslate();

signals:
    void cancelRequested();

protected:
    void reject() override; // Esc, the close box and Cancel all ask

private:
    void finishAtMaximum();

    Mode mode_;
    const LanguageManager& language_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool closed_ = false;
    bool finishing_ = false;
};

} // namespace vandrel
