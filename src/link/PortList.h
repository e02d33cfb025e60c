#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vandrel {

// What the port chooser shows: the listed ports, the entry selected (-1: none) and the text of
// the edit field.
struct PortListView {
    QStringList names;
    int selected = -1;
    QString editText;
};

// True when both names lead to the same device: "ttyUSB0", "/dev/ttyUSB0" and a stable name
// linked to it are one port. Names of devices that do not exist are compared as paths.
bool samePort(const QString& a, const QString& b);

// The configured name is selected when it names a listed port; with none configured the first port
// is; a name that is not listed stays in the edit field so that it is kept.
PortListView portListView(const QStringList& listed, const QString& currentName);

// The name confirmed from the edit field, cut to the longest port name; none when empty (the
// chooser then stays open).
std::optional<QString> acceptPortName(const QString& editText);

} // namespace vandrel
