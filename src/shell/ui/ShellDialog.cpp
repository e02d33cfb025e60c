#include "shell/ui/ShellDialog.h"

#include "language/LanguageManager.h"
#include "shell/ui/DialogPlacement.h"

namespace vandrel {

ShellDialog::ShellDialog(const LanguageManager& languages, QWidget* parent)
    : QDialog(parent), languages_(languages) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void ShellDialog::translateTexts() {
    languages_.TranslateWindow(this);
}

void ShellDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        placeOverOwner(this);
    }
}

} // namespace vandrel
