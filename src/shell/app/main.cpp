#include "language/LanguageManager.h"
#include "shell/app/ProgramRun.h"
#include "shell/ui/Prompter.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // Help and version need no display: the command line is read before the application starts.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QString error;
    const std::optional<vandrel::RunOptions> options = vandrel::parseRunOptions(arguments, error);
    if (!options) {
        std::fprintf(stderr, "vandrel: %s\n%s", qPrintable(error), qPrintable(vandrel::runUsage()));
        return 2;
    }
    if (options->help) {
        std::fputs(qPrintable(vandrel::runUsage()), stdout);
        return 0;
    }
    if (options->version) {
        std::fputs(qPrintable(vandrel::runVersion()), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vandrel"));
    QApplication::setApplicationVersion(QStringLiteral(VANDREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vandrel"));
    vandrel::LanguageManager language;
    vandrel::QtPrompter prompter;
    return vandrel::runProgram(language, prompter, *options);
}
