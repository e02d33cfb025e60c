#pragma once

#include <QStringList>

namespace vandrel {

// The whole tool behind main(): parses the command line, runs the command and returns the exit
// status. Needs a QCoreApplication.
int runCli(const QStringList& arguments);

} // namespace vandrel
