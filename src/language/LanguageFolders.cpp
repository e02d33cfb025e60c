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
#if defined(VANDREL_BUILD_LANG_DIR) && defined(VANDREL_BUILD_TREE)
    // Only a program run from its build tree uses the build tree's copy: an installed program
    // that lost its files must say so, not read a developer's tree that happens to exist.
    if (QCoreApplication::instance() != nullptr &&
        QDir::cleanPath(QCoreApplication::applicationDirPath())
            .startsWith(QStringLiteral(VANDREL_BUILD_TREE "/"))) {
        folders << QStringLiteral(VANDREL_BUILD_LANG_DIR);
    }
#endif
    return folders;
}

} // namespace vandrel
