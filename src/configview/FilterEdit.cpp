#include "configview/FilterEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace vandrel {

namespace {

std::function<void()>& beepHandler() {
    static std::function<void()> handler;
    return handler;
}

void beep() {
    if (beepHandler()) {
        beepHandler()();
    } else {
        QApplication::beep();
    }
}

// QLineEdit's own default: no maximum length to speak of.
constexpr int NoMaxLength = 32767;

// Characters that are not typed text: they reach the edit's own handling unfiltered.
bool isControl(QChar c) {
    return c.unicode() < 32 || c.unicode() == 127;
}

} // namespace

FilterEdit::FilterEdit(QWidget* parent) : QLineEdit(parent) {
    // Dropped text would skip the paste handling, which ends a text at its first line break.
    setAcceptDrops(false);
    setLimit(CodeFieldLimit);
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& text) { previousText_ = text; });
    // The line edit itself refuses what its maximum length or the validator does not take.
    connect(this, &QLineEdit::inputRejected, this, [] { beep(); });
}

void FilterEdit::setLimit(int limit, int widestShown) {
    limit_ = limit;
    if (widestShown <= limit) {
        // Nothing the program shows gets cut, so the line edit can hold every way in to the limit.
        setValidator(nullptr);
        setMaxLength(limit);
    } else {
        if (limitValidator_ == nullptr) {
            limitValidator_ = new LimitValidator(this);
        }
        setMaxLength(NoMaxLength);
        setValidator(limitValidator_);
    }
}

QValidator::State FilterEdit::LimitValidator::validate(QString& input, int& pos) const {
    const int limit = edit_->limit_;
    const QString& before = edit_->previousText_;
    // Within the limit, or the program's own value as it was shown: setting the text clears the
    // line edit's modified flag, and every change of the user sets it.
    if (input.size() <= limit || !edit_->isModified()) {
        return Acceptable;
    }
    // A value wider than the limit may be shortened, never widened.
    if (input.size() < before.size()) {
        return Acceptable;
    }
    const qsizetype tail = input.size() - pos; // what follows the inserted text
    if (before.size() > limit || pos < 0 || tail < 0 || tail > limit) {
        return Invalid;
    }
    // Keep as much of the inserted text as fits, as typing does.
    input = input.left(limit - tail) + input.mid(pos);
    pos = static_cast<int>(limit - tail);
    beep();
    return Acceptable;
}

QChar FilterEdit::Filter(const QString& set, QChar c) {
    for (QChar allowed : set) {
        QChar candidate = c;
        if (allowed.isLetter() && c.isLetter()) {
            candidate = allowed.isUpper() ? c.toUpper() : c.toLower();
        }
        if (candidate == allowed) {
            return candidate;
        }
    }
    return QChar();
}

void FilterEdit::setBeepHandler(std::function<void()> handler) {
    beepHandler() = std::move(handler);
}

QString FilterEdit::filtered(const QString& typed, bool& refused) const {
    QString accepted;
    for (QChar c : typed) {
        const QChar f = Filter(characterSet_, c);
        if (f.isNull()) {
            refused = true;
        } else {
            accepted.append(f);
        }
    }
    return accepted;
}

qsizetype FilterEdit::room(qsizetype replaced) const {
    return std::max<qsizetype>(0, limit_ - (text().size() - replaced));
}

void FilterEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteWithinLimit();
        event->accept();
        return;
    }
    const QString typed = event->text();
    // Shortcuts and editing keys (no text, control characters, Ctrl held) are not filtered.
    if (typed.isEmpty() || isControl(typed.front()) ||
        (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) != 0) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    bool refused = false;
    const QString accepted = filtered(typed, refused);
    if (!accepted.isEmpty() && !insertWithinLimit(accepted)) {
        refused = true;
    }
    if (refused) {
        beep();
    }
    event->accept();
}

void FilterEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty() || isReadOnly()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Committed text is typed text: the set and the limit apply as they do to keys.
    bool refused = false;
    QString accepted = filtered(event->commitString(), refused);
    const qsizetype fits = room(selectedText().size() + event->replacementLength());
    if (accepted.size() > fits) {
        accepted.truncate(fits);
        refused = true;
    }
    if (refused) {
        beep();
    }
    QInputMethodEvent allowed(event->preeditString(), event->attributes());
    allowed.setCommitString(accepted, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&allowed);
    event->setAccepted(allowed.isAccepted());
}

bool FilterEdit::insertWithinLimit(const QString& text) {
    const qsizetype fits = room(selectedText().size());
    if (fits == 0) {
        return false;
    }
    insert(text.left(fits));
    return fits >= text.size();
}

void FilterEdit::pasteWithinLimit() {
    if (isReadOnly()) {
        return;
    }
    const QString pasted = QApplication::clipboard()->text();
    if (!pasted.isEmpty()) {
        // Line breaks end the pasted text, as in any single-line edit.
        insertWithinLimit(pasted.section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('\r')));
    }
}

void FilterEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        // The standard entries carry no names; Paste is the one with the paste shortcut.
        const QString shortcut =
            QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
        if (action->objectName() == QLatin1String("edit-paste") ||
            (!shortcut.isEmpty() && action->text().endsWith(QLatin1Char('\t') + shortcut))) {
            action->disconnect();
            connect(action, &QAction::triggered, this, &FilterEdit::pasteWithinLimit);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void FilterEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit focusLeft();
}

} // namespace vandrel
