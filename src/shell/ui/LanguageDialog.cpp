#include "shell/ui/LanguageDialog.h"

#include "ui_LanguageDialog.h"

#include "language/LanguageManager.h"

#include <QFileInfo>

namespace vandrel {

LanguageDialog::LanguageDialog(int currentId, const LanguageManager& languages, QWidget* parent)
    : ShellDialog(languages, parent), ui_(std::make_unique<Ui::LanguageDialogForm>()) {
    ui_->setupUi(this);
    translateTexts();

    int selected = -1;
    const int count = languages_.LanguageCount();
    for (int id = 1; id <= count; ++id) {
        QString name;
        QString path;
        if (!languages_.LanguageInfo(id, &name, &path) || !QFileInfo(path).isFile()) {
            continue;
        }
        ui_->ctl1001->addItem(name, id);
        if (id == currentId) {
            selected = ui_->ctl1001->count() - 1;
        }
    }
    ui_->ctl1001->setCurrentIndex(selected);

    connect(ui_->ctl1, &QPushButton::clicked, this, &LanguageDialog::confirm);
    connect(ui_->ctl2, &QPushButton::clicked, this, &QDialog::reject);
}

LanguageDialog::~LanguageDialog() = default;

void LanguageDialog::confirm() {
    const int index = ui_->ctl1001->currentIndex();
    if (index < 0) {
        // Nothing chosen: no change.
        reject();
        return;
    }
    chosen_ = ui_->ctl1001->itemData(index).toInt();
    accept();
}

} // namespace vandrel
