#pragma once

#include <QIcon>

namespace vandrel {

// Images of the panes and dialogs, by their resource numbers.
namespace icon {
constexpr int Program = 128;
constexpr int Password = 202;
constexpr int MonitorTab = 208;
constexpr int MonitorStart = 229;
constexpr int MonitorStop = 230;
constexpr int MonitorSend = 231;
constexpr int SaveLog = 236;
} // namespace icon

// The image with resource number `id` (with its high-density variant); a null icon for an
// unknown number.
QIcon uiIcon(int id);

} // namespace vandrel
