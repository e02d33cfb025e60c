#include "configview/FilterEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

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

// Characters that are not typed text: they reach the edit's own handling unfiltered.
bool isControl(QChar c) {
    return c.unicode() < 32 || c.unicode() == 127;
}

} // namespace

FilterEdit::FilterEdit(QWidget* parent) : QLineEdit(parent) {
    // Dropped text would pass the limit.
    setAcceptDrops(false);
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
    QString accepted;
    bool refused = false;
    for (QChar c : typed) {
        const QChar f = Filter(characterSet_, c);
        if (f.isNull()) {
            refused = true;
        } else {
            accepted.append(f);
        }
    }
    if (!accepted.isEmpty() && !insertWithinLimit(accepted)) {
        refused = true;
    }
    if (refused) {
        beep();
    }
    event->accept();
}

bool FilterEdit::insertWithinLimit(const QString& text) {
    const qsizetype room = limit_ - (QLineEdit::text().size() - selectedText().size());
    if (room <= 0) {
        return false;
    }
    insert(text.left(room));
    return room >= text.size();
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
