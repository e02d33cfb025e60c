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

// The configured name is selected when listed; with none configured the first port is; a name
// that is not listed stays in the edit field so that it is kept.
PortListView portListView(const QStringList& listed, const QString& currentName);

// The name confirmed from the edit field, cut to the longest port name; none when empty (the
// chooser then stays open).
std::optional<QString> acceptPortName(const QString& editText);

} // namespace vandrel
