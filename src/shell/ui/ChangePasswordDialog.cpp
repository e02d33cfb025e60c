#include "shell/ui/ChangePasswordDialog.h"

#include "ui_ChangePasswordDialog.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "protocol/DeviceSession.h"
#include "shell/ui/PasswordText.h"

namespace vandrel {
namespace {

ChangePasswordDialog* openDialog = nullptr;

MessageStyle warning() {
    MessageStyle style;
    style.icon = MessageIcon::Warning;
    return style;
}

std::string passwordBytes(const QString& text) {
    return latin1Bytes(text, ChangePasswordDialog::kMaxPassword);
}

} // namespace

ChangePasswordDialog::ChangePasswordDialog(DeviceSession& session, const LanguageManager& languages,
                                           QWidget* parent)
    : ShellDialog(languages, parent), session_(session),
      ui_(std::make_unique<Ui::ChangePasswordDialogForm>()) {
    ui_->setupUi(this);
    for (QLineEdit* edit : {ui_->ctl1000, ui_->ctl1007, ui_->ctl1022}) {
        edit->setMaxLength(kMaxPassword);
    }
    translateTexts();
    ui_->ctl1000->setFocus();
    connect(ui_->ctl1, &QPushButton::clicked, this, &ChangePasswordDialog::okPressed);
    connect(ui_->ctl2, &QPushButton::clicked, this, &ChangePasswordDialog::reject);
    openDialog = this;
}

ChangePasswordDialog::~ChangePasswordDialog() {
    if (openDialog == this) {
        openDialog = nullptr;
    }
}

ChangePasswordDialog* ChangePasswordDialog::current() {
    return openDialog;
}

void ChangePasswordDialog::setWaiting(bool waiting) {
    waiting_ = waiting;
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->ctl1000, ui_->ctl1007, ui_->ctl1022,
                                                      ui_->ctl1, ui_->ctl2}) {
        w->setEnabled(!waiting);
    }
    setCursor(waiting ? Qt::WaitCursor : Qt::ArrowCursor);
}

void ChangePasswordDialog::okPressed() {
    if (done_) {
        accept();
        return;
    }
    if (waiting_) {
        return;
    }
    const QString current = ui_->ctl1000->text();
    const QString fresh = ui_->ctl1007->text();
    // A character the converter cannot take is refused, never changed into another one.
    for (QLineEdit* edit : {ui_->ctl1000, ui_->ctl1007, ui_->ctl1022}) {
        if (!isLatin1Text(edit->text())) {
            languages_.MessageBox(text::PasswordNotLatin1, text::CaptionError, warning());
            edit->selectAll();
            edit->setFocus();
            return;
        }
    }
    if (fresh != ui_->ctl1022->text()) {
        languages_.MessageBox(text::NewPasswordsDiffer, text::CaptionError, warning());
        ui_->ctl1022->clear();
        ui_->ctl1007->clear();
        ui_->ctl1007->setFocus();
        return;
    }
    newPassword_ = passwordBytes(fresh);
    currentPassword_ = passwordBytes(current);
    // Nothing went out when the link could not be opened: stay ready for another try rather
    // than wait for an answer that cannot come.
    if (session_.requestPasswordChange(newPassword_, currentPassword_)) {
        setWaiting(true);
    }
}

void ChangePasswordDialog::passwordAccepted() {
    waiting_ = false;
    done_ = true;
    QMetaObject::invokeMethod(this, &ChangePasswordDialog::okPressed, Qt::QueuedConnection);
}

void ChangePasswordDialog::passwordRefused(int code, const QString& resultHex) {
    setWaiting(false);
    done_ = false;
    if (code == kWrongPassword) {
        languages_.MessageBox(text::CurrentPasswordWrong, text::CaptionError, warning());
        ui_->ctl1000->clear();
        ui_->ctl1000->setFocus();
    } else if (code == kNoAnswer) {
        languages_.MessageBox(text::NoAnswer, text::CaptionError, warning());
        ui_->ctl2->setFocus();
    } else {
        languages_.FormatMessageBox(text::DeviceRefusedFormat, text::CaptionError, warning(),
                                    {resultHex});
        ui_->ctl2->setFocus();
    }
}

void ChangePasswordDialog::cancelRequest() {
    setWaiting(false);
    done(QDialog::Rejected);
}

void ChangePasswordDialog::reject() {
    if (waiting_) {
        return;
    }
    QDialog::reject();
}

} // namespace vandrel
