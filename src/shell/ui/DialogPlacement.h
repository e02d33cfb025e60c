#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace vandrel {

// Where a window of `size` goes: centred over `owner` (over `workArea` when there is none),
// then moved, without resizing, so that it lies inside `workArea` as far as it fits; a window
// wider or taller than the work area gets its left or top edge on the work area's edge.
QPoint placedTopLeft(QSize size, const std::optional<QRect>& owner, const QRect& workArea);

// Centres `dialog` over its owner window, or over the screen's work area when it has no owner
// or the owner is hidden or minimised, and keeps it on the screen.
void placeOverOwner(QWidget* dialog);

} // namespace vandrel
