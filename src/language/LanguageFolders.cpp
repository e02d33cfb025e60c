#include "language/LanguageFolders.h"

#include <QCoreApplication>
#include <QDir>

namespace vandrel {

QStringList DefaultLanguageFolders() {
    QStringList folders;
    if (QCoreApplication::instance() != nullptr) {
        folders << QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                   QStringLiteral("/../share/vandrel/lang"));
    }
#ifdef VANDREL_BUILD_LANG_DIR
    folders << QStringLiteral(VANDREL_BUILD_LANG_DIR);
#endif
    return folders;
}

} // namespace vandrel
