#include "configview/ChangeFrame.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QPalette>

namespace vandrel {

namespace {

// Room between the control and the frame, and the frame's width.
constexpr int Margin = 2;
constexpr int PenWidth = 2;

} // namespace

QColor ChangeMarkColor(const QPalette& palette) {
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    return dark ? QColor(255, 190, 80) : QColor(176, 96, 0);
}

ChangeFrame::ChangeFrame(QWidget* control) : QWidget(control->parentWidget()), control_(control) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    control->installEventFilter(this);
    place();
}

bool ChangeFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == control_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::LayoutRequest:
            place();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ChangeFrame::place() {
    if (control_ == nullptr) {
        hide();
        return;
    }
    QRect around = control_->geometry();
    // A check box's row may be far wider than its box and text: the frame holds what it shows.
    if (qobject_cast<const QAbstractButton*>(control_) != nullptr) {
        around.setWidth(std::min(around.width(), control_->sizeHint().width()));
    }
    setGeometry(around.adjusted(-Margin - PenWidth, -Margin, Margin + PenWidth, Margin));
    setVisible(control_->isVisibleTo(parentWidget()));
    raise();
}

void ChangeFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour = ChangeMarkColor(palette());
    QColor tint = colour;
    tint.setAlpha(36);
    painter.setPen(QPen(colour, PenWidth));
    painter.setBrush(tint);
    const qreal inset = PenWidth / 2.0;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 3, 3);
}

} // namespace vandrel
