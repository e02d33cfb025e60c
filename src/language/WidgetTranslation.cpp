// Translation of widget trees and menus by the numbers they carry as texts.
#include "language/LanguageManager.h"

#include "language/AccessibleNames.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace vandrel {

namespace {

// Menu labels are looked up by at most this many characters of their text.
constexpr int MenuLabelChars = 31;

// The widgets whose text a language file provides. Edits and lists hold the user's data.
bool widgetText(const QWidget* w, QString& text) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        text = label->text();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        text = button->text();
    } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
        text = group->title();
    } else {
        return false;
    }
    return true;
}

void setWidgetText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    }
}

// The number a text stands for: a whole, non-zero decimal number, else 0. Texts such as
// "00:05" or "Progress1" are not numbers and stay as they are.
int textNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9) {
        return 0;
    }
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return 0;
        }
    }
    return t.toInt();
}

// Child widgets at all levels, but not child windows (dialogs, menus) and what they hold.
template <typename Visit> void forEachDescendant(QWidget* parent, Visit visit) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || w->isWindow()) {
            continue;
        }
        visit(w);
        forEachDescendant(w, visit);
    }
}

QString menuKey(const QAction* action) {
    return action->text().left(MenuLabelChars);
}

} // namespace

void LanguageManager::TranslateWindow(QWidget* window) const {
    if (failed_ || window == nullptr) {
        return;
    }
    const int own = textNumber(window->windowTitle());
    window->setProperty(TextIdProperty, own);
    if (own != 0) {
        QString title;
        lookup("strings", QString::number(own), title);
        window->setWindowTitle(CutText(title, ControlTextChars));
    }
    forEachDescendant(window, [this](QWidget* w) {
        QString text;
        if (!widgetText(w, text)) {
            return;
        }
        const int number = textNumber(text);
        w->setProperty(TextIdProperty, number);
        if (number != 0) {
            setWidgetText(w, Text(number, ControlTextChars));
        }
    });
    AccessibleNames::Apply(window, *this);
}

void LanguageManager::RetranslateWindow(QWidget* window) const {
    if (failed_ || window == nullptr) {
        return;
    }
    if (const int own = window->property(TextIdProperty).toInt(); own != 0) {
        QString title;
        lookup("strings", QString::number(own), title);
        window->setWindowTitle(CutText(title, ControlTextChars));
    }
    forEachDescendant(window, [this](QWidget* w) {
        if (const int number = w->property(TextIdProperty).toInt(); number != 0) {
            setWidgetText(w, Text(number, ControlTextChars));
        }
    });
    AccessibleNames::Apply(window, *this);
}

void LanguageManager::TranslateMenuBar(QMenuBar* menuBar) const {
    if (failed_ || menuBar == nullptr) {
        return;
    }
    for (QAction* action : menuBar->actions()) {
        if (QMenu* dropDown = action->menu()) {
            TranslateMenu(dropDown);
        }
        const QString label = menuKey(action);
        if (label.isEmpty()) {
            continue;
        }
        // Top-level labels keep a backslash as it stands.
        QString text;
        lookup("menus", label, text);
        action->setText(CutText(text, ControlTextChars));
    }
}

void LanguageManager::TranslateMenu(QMenu* menu) const {
    if (failed_ || menu == nullptr) {
        return;
    }
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        if (QMenu* sub = action->menu()) {
            TranslateMenu(sub);
        }
        const QString label = menuKey(action);
        if (label.isEmpty()) {
            continue;
        }
        QString text;
        lookup("menus", label, text);
        text = CutText(text, ControlTextChars);
        // A tab in a menu entry starts its shortcut column.
        if (const qsizetype slash = text.indexOf(QLatin1Char('\\')); slash >= 0) {
            text[slash] = QLatin1Char('\t');
        }
        action->setText(text);
    }
}

} // namespace vandrel
