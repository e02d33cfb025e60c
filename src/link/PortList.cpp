#include "link/PortList.h"

#include "link/DevicePath.h"

namespace vandrel {

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
    view.selected = static_cast<int>(listed.indexOf(currentName));
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
