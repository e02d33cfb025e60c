#include "shell/ui/AboutDialog.h"

#include "ui_AboutDialog.h"

#include "shell/ui/UiResources.h"

namespace vandrel {

AboutDialog::AboutDialog(const LanguageManager& languages, QWidget* parent)
    : ShellDialog(languages, parent), ui_(std::make_unique<Ui::AboutDialogForm>()) {
    ui_->setupUi(this);
    ui_->programIcon->setPixmap(uiIcon(icon::Program).pixmap(32, 32));
    ui_->versionText->setText(QLatin1String(kVersionText));
    translateTexts();
    connect(ui_->ctl1, &QPushButton::clicked, this, &QDialog::accept);
}

AboutDialog::~AboutDialog() = default;

} // namespace vandrel
