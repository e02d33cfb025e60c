#pragma once

#include <QString>

namespace vandrel {

// Port names are device paths of up to this many characters (the stable names of USB adapters
// are long).
inline constexpr int kMaxPortNameLength = 255;

// The device path for a port name: a name without a slash is a device under /dev.
QString devicePathForPortName(const QString& portName);

} // namespace vandrel
