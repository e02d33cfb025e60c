// vandrelctl: the converter's configuration and service tool for the command line.
#include "cli/CliMain.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vandrelctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANDREL_VERSION));
    return vandrel::runCli(QCoreApplication::arguments());
}
