#include "shell/app/AppCore.h"
#include "shell/app/ProgramRun.h"
#include "shell/ui/Prompter.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vandrel"));
    QApplication::setDesktopFileName(QStringLiteral("vandrel"));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        std::fputs(qPrintable(vandrel::runUsage()), stdout);
        return 0;
    }
    QString error;
    const std::optional<vandrel::RunOptions> options = vandrel::parseRunOptions(arguments, error);
    if (!options) {
        std::fprintf(stderr, "vandrel: %s\n%s", qPrintable(error), qPrintable(vandrel::runUsage()));
        return 2;
    }
    vandrel::AppCore core;
    vandrel::QtPrompter prompter;
    return vandrel::runProgram(core, prompter, *options);
}
