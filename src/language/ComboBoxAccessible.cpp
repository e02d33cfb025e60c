#include "language/ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>

namespace vandrel {

ComboBoxAccessible::ComboBoxAccessible(QComboBox* box)
    : QAccessibleWidget(box, QAccessible::ComboBox) {}

QAccessibleInterface* ComboBoxAccessible::Create(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox") && object != nullptr && object->isWidgetType()) {
        return new ComboBoxAccessible(static_cast<QComboBox*>(object));
    }
    return nullptr;
}

QComboBox* ComboBoxAccessible::box() const {
    return static_cast<QComboBox*>(widget());
}

QString ComboBoxAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Value:
        return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
    case QAccessible::Accelerator:
        return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
    default:
        // The name: the accessible name, else the label whose buddy the box is.
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State ComboBoxAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = box()->view()->isVisible();
    s.editable = box()->isEditable();
    return s;
}

int ComboBoxAccessible::childCount() const {
    return box()->isEditable() ? 2 : 1;
}

QAccessibleInterface* ComboBoxAccessible::child(int index) const {
    if (index == 0) {
        return QAccessible::queryAccessibleInterface(box()->view());
    }
    if (index == 1 && box()->isEditable()) {
        return QAccessible::queryAccessibleInterface(box()->lineEdit());
    }
    return nullptr;
}

int ComboBoxAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child == nullptr) {
        return -1;
    }
    if (child->object() == box()->view()) {
        return 0;
    }
    if (box()->isEditable() && child->object() == box()->lineEdit()) {
        return 1;
    }
    return -1;
}

QStringList ComboBoxAccessible::actionNames() const {
    return {showMenuAction(), pressAction()};
}

void ComboBoxAccessible::doAction(const QString& actionName) {
    if (actionName != showMenuAction() && actionName != pressAction()) {
        return;
    }
    if (box()->view()->isVisible()) {
        box()->hidePopup();
    } else {
        box()->showPopup();
    }
}

} // namespace vandrel
