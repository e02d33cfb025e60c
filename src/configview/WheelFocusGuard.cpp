#include "configview/WheelFocusGuard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QScrollBar>
#include <QWidget>

namespace vandrel {

namespace {

bool takesTheWheel(const QWidget* w) {
    // A scroll bar is what the wheel is for.
    return qobject_cast<const QComboBox*>(w) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(w) != nullptr ||
           (qobject_cast<const QAbstractSlider*>(w) != nullptr &&
            qobject_cast<const QScrollBar*>(w) == nullptr);
}

} // namespace

void WheelFocusGuard::Protect(QWidget* page) {
    auto* guard = new WheelFocusGuard(page);
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!takesTheWheel(w)) {
            continue;
        }
        if ((w->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus) {
            w->setFocusPolicy(Qt::StrongFocus);
        }
        w->installEventFilter(guard);
    }
}

bool WheelFocusGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && !static_cast<QWidget*>(watched)->hasFocus()) {
        // Ignored, the wheel goes on to the widgets behind: the page's scroll area.
        event->ignore();
        return true;
    }
    return false;
}

} // namespace vandrel
