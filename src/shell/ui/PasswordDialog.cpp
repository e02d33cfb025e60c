#include "shell/ui/PasswordDialog.h"

#include "ui_PasswordDialog.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "shell/ui/PasswordText.h"
#include "shell/ui/UiResources.h"

namespace vandrel {

PasswordDialog::PasswordDialog(const LanguageManager& languages, QWidget* parent)
    : ShellDialog(languages, parent), ui_(std::make_unique<Ui::PasswordDialogForm>()) {
    ui_->setupUi(this);
    ui_->passwordIcon->setPixmap(uiIcon(icon::Password).pixmap(32, 32));
    ui_->ctl1000->setMaxLength(kMaxPassword);
    translateTexts();
    ui_->ctl1000->setFocus();
    connect(ui_->ctl1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->ctl2, &QPushButton::clicked, this, &QDialog::reject);
}

PasswordDialog::~PasswordDialog() = default;

QString PasswordDialog::password() const {
    return ui_->ctl1000->text().left(kMaxPassword);
}

std::string PasswordDialog::passwordBytes() const {
    return latin1Bytes(password(), kMaxPassword);
}

void PasswordDialog::accept() {
    if (!isLatin1Text(password())) {
        languages_.MessageBox(text::PasswordNotLatin1, text::CaptionPassword,
                              MessageStyle{MessageButtons::Ok, MessageIcon::Warning});
        ui_->ctl1000->selectAll();
        ui_->ctl1000->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace vandrel
