#include "shell/ui/ChangePasswordDialog.h"

#include "ui_ChangePasswordDialog.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "shell/ui/PasswordText.h"
#include "shell/ui/Prompter.h"

#include <QPointer>

namespace vandrel {
namespace {

MessageStyle warning() {
    MessageStyle style;
    style.icon = MessageIcon::Warning;
    return style;
}

std::string passwordBytes(const QString& text) {
    return latin1Bytes(text, ChangePasswordDialog::kMaxPassword);
}

} // namespace

ChangePasswordDialog::ChangePasswordDialog(const LanguageManager& languages, Prompter& prompter,
                                           QWidget* parent)
    : ShellDialog(languages, parent), prompter_(prompter),
      ui_(std::make_unique<Ui::ChangePasswordDialogForm>()) {
    ui_->setupUi(this);
    for (QLineEdit* edit : {ui_->ctl1000, ui_->ctl1007, ui_->ctl1022}) {
        edit->setMaxLength(kMaxPassword);
    }
    translateTexts();
    ui_->ctl1000->setFocus();
    connect(ui_->ctl1, &QPushButton::clicked, this, &ChangePasswordDialog::okPressed);
    connect(ui_->ctl2, &QPushButton::clicked, this, &ChangePasswordDialog::reject);
}

ChangePasswordDialog::~ChangePasswordDialog() = default;

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
    // Nothing went out when the link could not be opened: the dialog stays ready for another
    // try rather than wait for an answer that cannot come.
    emit changeRequested(QByteArray::fromStdString(newPassword_),
                         QByteArray::fromStdString(currentPassword_));
}

void ChangePasswordDialog::waitForConverter() {
    setWaiting(true);
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
        ui_->ctl1000->clear();
        tell(text::CurrentPasswordWrong, QString(), ui_->ctl1000);
    } else if (code == kNoAnswer) {
        tell(text::NoAnswer, QString(), ui_->ctl2);
    } else {
        tell(text::DeviceRefusedFormat, resultHex, ui_->ctl2);
    }
}

void ChangePasswordDialog::tell(int textId, const QString& argument, QWidget* focusAfter) {
    const FormatArg arg(argument);
    const std::optional<MessageRequest> message =
        argument.isNull()
            ? languages_.Message(textId, text::CaptionError, warning())
            : languages_.Message(textId, text::CaptionError, warning(), std::span(&arg, 1));
    focusAfter->setFocus();
    if (!message) {
        return;
    }
    // Without a loop of its own: whatever happens meanwhile (the dialog may be closed and
    // freed), the box's end touches only what still exists.
    QPointer<QWidget> focus(focusAfter);
    prompter_.show(*message, this, [focus](int) {
        if (focus) {
            focus->setFocus();
        }
    });
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
