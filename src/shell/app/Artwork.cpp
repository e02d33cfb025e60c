#include "shell/app/Artwork.h"

#include "shell/app/CommandIds.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vandrel::artwork {

namespace {

struct Palette {
    QColor line;
    QColor paper;
    QColor accent;
    QColor accent2;
};

const Palette kNormal{QColor(0x2b, 0x3a, 0x4a), QColor(0xfb, 0xfb, 0xf6), QColor(0x1d, 0x6f, 0xb8),
                      QColor(0xe8, 0xa3, 0x17)};
const Palette kDisabled{QColor(0x9a, 0x9a, 0x9a), QColor(0xee, 0xee, 0xee),
                        QColor(0xb4, 0xb4, 0xb4), QColor(0xc8, 0xc8, 0xc8)};

void drawNew(QPainter& p, const Palette& c) {
    QPainterPath page;
    page.moveTo(9, 3);
    page.lineTo(25, 3);
    page.lineTo(32, 10);
    page.lineTo(32, 37);
    page.lineTo(9, 37);
    page.closeSubpath();
    p.setPen(QPen(c.line, 1.5));
    p.setBrush(c.paper);
    p.drawPath(page);
    p.drawLine(QPointF(25, 3), QPointF(25, 10));
    p.drawLine(QPointF(25, 10), QPointF(32, 10));
    p.setPen(QPen(c.accent, 1.5));
    for (int y = 16; y <= 31; y += 5) {
        p.drawLine(QPointF(13, y), QPointF(28, y));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c.accent2);
    p.drawEllipse(QPointF(31, 31), 6, 6);
}

void drawOpen(QPainter& p, const Palette& c) {
    p.setPen(QPen(c.line, 1.5));
    p.setBrush(c.accent2);
    QPainterPath back;
    back.moveTo(4, 9);
    back.lineTo(14, 9);
    back.lineTo(17, 12);
    back.lineTo(33, 12);
    back.lineTo(33, 34);
    back.lineTo(4, 34);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(c.accent2.lighter(125));
    QPainterPath front;
    front.moveTo(4, 34);
    front.lineTo(10, 18);
    front.lineTo(38, 18);
    front.lineTo(33, 34);
    front.closeSubpath();
    p.drawPath(front);
}

void drawSave(QPainter& p, const Palette& c) {
    p.setPen(QPen(c.line, 1.5));
    p.setBrush(c.accent);
    p.drawRoundedRect(QRectF(5, 5, 30, 30), 3, 3);
    p.setBrush(c.paper);
    p.drawRect(QRectF(11, 5, 18, 11));
    p.drawRect(QRectF(10, 22, 20, 13));
    p.setBrush(c.line);
    p.drawRect(QRectF(23, 7, 4, 7));
}

void drawHelp(QPainter& p, const Palette& c) {
    p.setPen(QPen(c.line, 1.5));
    p.setBrush(c.accent);
    p.drawEllipse(QPointF(20, 20), 16, 16);
    p.setPen(QPen(c.paper, 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath hook;
    hook.moveTo(14, 15);
    hook.cubicTo(14, 8, 26, 8, 26, 15);
    hook.cubicTo(26, 20, 20, 20, 20, 25);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(c.paper);
    p.drawEllipse(QPointF(20, 30.5), 2.4, 2.4);
}

// Two pages side by side, one line on the right one standing out.
void drawCompare(QPainter& p, const Palette& c) {
    p.setPen(QPen(c.line, 1.5));
    p.setBrush(c.paper);
    p.drawRect(QRectF(3, 5, 15, 30));
    p.drawRect(QRectF(22, 5, 15, 30));
    p.setPen(QPen(c.accent, 1.5));
    for (int y = 11; y <= 29; y += 6) {
        p.drawLine(QPointF(6, y), QPointF(15, y));
        if (y != 17) {
            p.drawLine(QPointF(25, y), QPointF(34, y));
        }
    }
    p.setPen(QPen(c.accent2, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(25, 17), QPointF(34, 17));
}

using Drawing = void (*)(QPainter&, const Palette&);

Drawing drawingFor(int commandId) {
    switch (commandId) {
    case cmd::FileNew:
        return drawNew;
    case cmd::FileOpen:
        return drawOpen;
    case cmd::FileSave:
        return drawSave;
    case cmd::FileCompare:
        return drawCompare;
    case cmd::HelpIndex:
        return drawHelp;
    default:
        return nullptr;
    }
}

QPixmap render(int width, int height, qreal dpr, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(QSize(width, height) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return pixmap;
}

} // namespace

QIcon toolbarIcon(int commandId, qreal devicePixelRatio) {
    const Drawing drawing = drawingFor(commandId);
    if (drawing == nullptr) {
        return {};
    }
    QIcon icon;
    for (const qreal dpr : {qreal(1), devicePixelRatio}) {
        icon.addPixmap(render(kToolbarImageSize, kToolbarImageSize, dpr,
                              [&](QPainter& p) { drawing(p, kNormal); }),
                       QIcon::Normal);
        icon.addPixmap(render(kToolbarImageSize, kToolbarImageSize, dpr,
                              [&](QPainter& p) { drawing(p, kDisabled); }),
                       QIcon::Disabled);
    }
    return icon;
}

QPixmap logo(qreal devicePixelRatio) {
    return render(kLogoWidth, kLogoHeight, devicePixelRatio, [](QPainter& p) {
        // A line that turns from a wave (the analog side) into steps (the digital side).
        p.setPen(QPen(kNormal.accent, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath path;
        path.moveTo(4, 22);
        path.cubicTo(9, 8, 14, 8, 19, 22);
        path.cubicTo(24, 36, 29, 36, 34, 22);
        path.lineTo(38, 22);
        path.lineTo(38, 12);
        path.lineTo(44, 12);
        path.lineTo(44, 32);
        path.lineTo(50, 32);
        path.lineTo(50, 22);
        p.drawPath(path);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(17);
        p.setFont(font);
        p.setPen(kNormal.line);
        p.drawText(QRectF(54, 0, kLogoWidth - 56, kLogoHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("Vandrel"));
    });
}

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addPixmap(render(size, size, 1, [size](QPainter& p) {
            p.scale(size / 40.0, size / 40.0);
            p.setPen(Qt::NoPen);
            p.setBrush(kNormal.accent);
            p.drawRoundedRect(QRectF(1, 1, 38, 38), 8, 8);
            p.setPen(QPen(kNormal.paper, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            QPainterPath path;
            path.moveTo(6, 20);
            path.cubicTo(9, 10, 13, 10, 16, 20);
            path.cubicTo(19, 30, 21, 30, 23, 20);
            path.lineTo(25, 20);
            path.lineTo(25, 12);
            path.lineTo(30, 12);
            path.lineTo(30, 28);
            path.lineTo(34, 28);
            path.lineTo(34, 20);
            p.drawPath(path);
        }));
    }
    return icon;
}

} // namespace vandrel::artwork
