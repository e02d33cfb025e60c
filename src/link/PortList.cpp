#include "link/PortList.h"

#include "link/DevicePath.h"

#include <QDir>
#include <QFileInfo>

namespace vandrel {
namespace {

QString resolvedDevice(const QString& portName) {
    const QString path = devicePathForPortName(portName);
    const QString device = QFileInfo(path).canonicalFilePath();
    return device.isEmpty() ? QDir::cleanPath(path) : device;
}

} // namespace

bool samePort(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) {
        return a.isEmpty() && b.isEmpty();
    }
    return a == b || resolvedDevice(a) == resolvedDevice(b);
}

PortListView portListView(const QStringList& listed, const QString& currentName) {
    PortListView view;
    view.names = listed;
    if (currentName.isEmpty()) {
        if (!listed.isEmpty()) {
            view.selected = 0;
            view.editText = listed.front();
        }
        return view;
    }
    const QString device = resolvedDevice(currentName);
    for (qsizetype i = 0; i < listed.size(); ++i) {
        if (listed[i] == currentName || resolvedDevice(listed[i]) == device) {
            view.selected = static_cast<int>(i);
            break;
        }
    }
    view.editText = currentName;
    return view;
}

std::optional<QString> acceptPortName(const QString& editText) {
    if (editText.isEmpty()) {
        return std::nullopt;
    }
    return editText.left(kMaxPortNameLength);
}

} // namespace vandrel
