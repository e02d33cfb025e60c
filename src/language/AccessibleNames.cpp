#include "language/AccessibleNames.h"

#include "language/ComboBoxAccessible.h"
#include "language/LanguageManager.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace vandrel::AccessibleNames {

namespace {

// The text a label, button or group box shows.
QString shownText(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        return button->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
        return group->title();
    }
    return QString();
}

// The control's own name: its label's text, else its own text.
QString ownName(QWidget* root, const QWidget* control) {
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        if (label->buddy() == control) {
            return label->text();
        }
    }
    return shownText(control);
}

} // namespace

QString Spoken(const QString& text) {
    QString spoken;
    spoken.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('&') && i + 1 < text.size()) {
            // "&&" is an ampersand, a single one marks the mnemonic.
            if (text[i + 1] == QLatin1Char('&')) {
                spoken += c;
                ++i;
            }
            continue;
        }
        spoken += c == QLatin1Char('\n') ? QLatin1Char(' ') : c;
    }
    spoken = spoken.simplified();
    if (spoken.endsWith(QLatin1Char(':'))) {
        spoken.chop(1);
    }
    return spoken.trimmed();
}

void Apply(QWidget* root, const LanguageManager& language) {
    if (root == nullptr) {
        return;
    }
    Install();
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (const int id = w->property(TextIdProperty).toInt(); id != 0) {
            w->setAccessibleName(language.Text(id));
            continue;
        }
        const QByteArray context = w->property(ContextProperty).toByteArray();
        if (context.isEmpty()) {
            continue;
        }
        const auto* by = root->findChild<QWidget*>(QString::fromLatin1(context));
        if (by == nullptr) {
            qWarning("%s names no widget of %s", context.constData(),
                     qPrintable(root->objectName()));
            continue;
        }
        w->setAccessibleName(Spoken(shownText(by)) + QStringLiteral(": ") +
                             Spoken(ownName(root, w)));
    }
}

void Install() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        QAccessible::installFactory(&ComboBoxAccessible::Create);
    }
}

} // namespace vandrel::AccessibleNames
