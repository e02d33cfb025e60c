#include "shell/ui/UiResources.h"

#include <QFile>

// The resources live in a static library: the linker keeps them only when something refers to
// their initialiser, which this file does.
static void initUiResources() {
    Q_INIT_RESOURCE(ui);
}

namespace vandrel {

QIcon uiIcon(int id) {
    static const bool loaded = [] {
        initUiResources();
        return true;
    }();
    (void)loaded;
    const QString path = QStringLiteral(":/ui/icons/icon%1.png").arg(id);
    if (!QFile::exists(path)) {
        return QIcon();
    }
    // The @2x file is picked up beside it for high-density screens.
    return QIcon(path);
}

} // namespace vandrel
