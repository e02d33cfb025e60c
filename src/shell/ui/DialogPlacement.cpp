#include "shell/ui/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vandrel {

QPoint placedTopLeft(QSize size, const std::optional<QRect>& owner, const QRect& workArea) {
    const QRect around = owner.value_or(workArea);
    int x = around.x() + (around.width() - size.width()) / 2;
    int y = around.y() + (around.height() - size.height()) / 2;
    // Right and bottom first, so that a window too large for the work area ends up at its
    // left and top edges.
    x = std::min(x, workArea.x() + workArea.width() - size.width());
    y = std::min(y, workArea.y() + workArea.height() - size.height());
    x = std::max(x, workArea.x());
    y = std::max(y, workArea.y());
    return {x, y};
}

void placeOverOwner(QWidget* dialog) {
    if (dialog == nullptr) {
        return;
    }
    const QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    const bool ownerShown = owner && owner->isVisible() && !owner->isMinimized();
    QScreen* screen = ownerShown ? owner->screen() : dialog->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect workArea = screen->availableGeometry();
    std::optional<QRect> ownerRect;
    if (ownerShown) {
        ownerRect = owner->frameGeometry();
    }
    const QSize size = dialog->frameGeometry().size();
    dialog->move(placedTopLeft(size, ownerRect, workArea));
}

} // namespace vandrel
