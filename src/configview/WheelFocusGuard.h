#pragma once

#include <QObject>

class QWidget;

namespace vandrel {

// Controls that change their value on the mouse wheel (lists, spin boxes, sliders) take the wheel
// only while they have the keyboard focus, and the wheel no longer gives them the focus: turning
// the wheel to scroll a page scrolls it, also when such a control comes under the pointer, and
// changes nothing behind the user's back.
class WheelFocusGuard : public QObject {
public:
    // Guards every such control inside `page`; the guard lives as long as the page.
    static void Protect(QWidget* page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WheelFocusGuard(QObject* parent) : QObject(parent) {}
};

} // namespace vandrel
