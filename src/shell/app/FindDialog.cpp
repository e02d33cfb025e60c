#include "shell/app/FindDialog.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace vandrel {

FindDialog::FindDialog(const LanguageManager& language, const QString& text, bool matchCase,
                       bool wholeWord, QWidget* owner)
    : QDialog(owner), language_(language), edit_(new QLineEdit(this)),
      matchCase_(new QCheckBox(this)), wholeWord_(new QCheckBox(this)),
      next_(new QPushButton(this)), cancel_(new QPushButton(this)) {
    setObjectName(QStringLiteral("FindDialog"));
    edit_->setObjectName(QStringLiteral("findText"));
    edit_->setMaxLength(kMaxText);
    edit_->setText(text.left(kMaxText));
    matchCase_->setChecked(matchCase);
    wholeWord_->setChecked(wholeWord);
    next_->setDefault(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(edit_, 0, 0, 1, 2);
    layout->addWidget(next_, 0, 2);
    layout->addWidget(wholeWord_, 1, 0);
    layout->addWidget(matchCase_, 1, 1);
    layout->addWidget(cancel_, 1, 2);
    connect(next_, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(cancel_, &QPushButton::clicked, this, &FindDialog::reject);
    setAttribute(Qt::WA_DeleteOnClose);
    retranslate();
}

QString FindDialog::text() const {
    return edit_->text().left(kMaxText);
}
bool FindDialog::matchCase() const {
    return matchCase_->isChecked();
}
bool FindDialog::wholeWord() const {
    return wholeWord_->isChecked();
}

void FindDialog::retranslate() {
    setWindowTitle(language_.Text(text::SearchCaption));
    next_->setText(language_.Text(text::SearchCaption));
    cancel_->setText(language_.Text(text::ButtonCancel));
    matchCase_->setText(language_.Text(text::FindMatchCase));
    wholeWord_->setText(language_.Text(text::FindWholeWord));
    // The search text has no label of its own.
    edit_->setAccessibleName(language_.Text(text::FindTextName));
}

} // namespace vandrel
