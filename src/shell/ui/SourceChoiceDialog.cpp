#include "shell/ui/SourceChoiceDialog.h"

#include "ui_SourceChoiceDialog.h"

#include "language/TextIds.h"

#include <QStyle>

namespace vandrel {

SourceChoiceDialog::SourceChoiceDialog(Mode mode, const LanguageManager& languages, QWidget* parent)
    : ShellDialog(languages, parent), ui_(std::make_unique<Ui::SourceChoiceDialogForm>()) {
    ui_->setupUi(this);
    ui_->ctl1036->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    const int title = mode == Mode::Open   ? text::SourceOpenTitle
                      : mode == Mode::Save ? text::SourceSaveTitle
                                           : text::SourceCompareTitle;
    const int question = mode == Mode::Open   ? text::SourceOpenText
                         : mode == Mode::Save ? text::SourceSaveText
                                              : text::SourceCompareText;
    // The numbers are put in place first so that translation remembers them.
    setWindowTitle(QString::number(title));
    ui_->ctl1003->setText(QString::number(question));
    translateTexts();
    connect(ui_->ctl1, &QPushButton::clicked, this, [this] { done(Converter); });
    connect(ui_->ctl1018, &QPushButton::clicked, this, [this] { done(File); });
    connect(ui_->ctl2, &QPushButton::clicked, this, [this] { done(Cancel); });
}

SourceChoiceDialog::~SourceChoiceDialog() = default;

void SourceChoiceDialog::reject() {
    done(Cancel);
}

} // namespace vandrel
