#pragma once

#include <QIcon>
#include <QPixmap>

namespace vandrel {

// The program's pictures, drawn at the screen's pixel density so they stay sharp with HiDPI
// scaling: the large toolbar images (with their own disabled versions), the logo and the
// program icon.
namespace artwork {

inline constexpr int kToolbarImageSize = 40;
inline constexpr int kLogoWidth = 140;
inline constexpr int kLogoHeight = 44;

// New, Open, Save, Compare or Help by command id; a null icon for any other command.
QIcon toolbarIcon(int commandId, qreal devicePixelRatio);
QPixmap logo(qreal devicePixelRatio);
QIcon programIcon();

} // namespace artwork
} // namespace vandrel
