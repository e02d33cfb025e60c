#include "link/DevicePath.h"

namespace vandrel {

QString devicePathForPortName(const QString& portName) {
    if (portName.contains(QLatin1Char('/'))) {
        return portName;
    }
    return QStringLiteral("/dev/") + portName;
}

} // namespace vandrel
