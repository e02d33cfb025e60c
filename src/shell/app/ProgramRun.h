#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

namespace vandrel {

class LanguageManager;
class Prompter;

struct RunOptions {
    // Serve the stand-in converter on a pseudo-terminal and use it as the port of this run.
    bool demo = false;
    bool help = false;    // print the usage and end
    bool version = false; // print the version and end
    // A configuration file to open in place of the start-up question; empty for none.
    QString file;
};

// The options of the command line (without the program name); none with `error` set.
std::optional<RunOptions> parseRunOptions(const QStringList& arguments, QString& error);
QString runUsage();
// "vandrel <version>" and a line end.
QString runVersion();

// Where the window opens when no placement is stored yet: two thirds of the screen's
// available area, centred on it.
QRect firstRunGeometry(const QRect& available);

// Everything from loading the settings to the end of the event loop: the settings, the
// language (a failure there ends the run with 0 before any window exists), the main window, the
// loop, and the window settings saved after it. Answers the exit status: 1 after a normal close.
int runProgram(LanguageManager& language, Prompter& prompter, const RunOptions& options);

} // namespace vandrel
