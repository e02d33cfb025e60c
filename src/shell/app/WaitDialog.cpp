#include "shell/app/WaitDialog.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace vandrel {

namespace {
constexpr int kNoteChars = 63;
}

WaitDialog::WaitDialog(const LanguageManager& language, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      language_(language), noteLabel_(new QLabel(this)), hintLabel_(new QLabel(this)) {
    setObjectName(QStringLiteral("WaitDialog"));
    noteLabel_->setObjectName(QStringLiteral("note"));
    hintLabel_->setObjectName(QStringLiteral("hint"));
    QFont bold = noteLabel_->font();
    bold.setWeight(QFont::Bold);
    noteLabel_->setFont(bold);
    hintLabel_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noteLabel_);
    layout->addWidget(hintLabel_);
    setModal(true);
    setCursor(Qt::WaitCursor);
    retranslate();
}

void WaitDialog::setNote(int textId) {
    note_ = textId;
    noteLabel_->setText(language_.Text(textId, kNoteChars));
}

void WaitDialog::finish() {
    finishing_ = true;
    done(1);
}

void WaitDialog::retranslate() {
    setWindowTitle(language_.Text(text::AppTitle));
    hintLabel_->setText(language_.Text(text::WaitNote));
    if (note_ != 0) {
        setNote(note_);
    }
}

void WaitDialog::reject() {}

void WaitDialog::closeEvent(QCloseEvent* event) {
    if (!finishing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace vandrel
