#pragma once

#include "CliProcess.h"
#include "CliTestFiles.h"
#include "SimConverter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace vandrel::testing {

// vandrelctl run as a user runs it, with its settings in a temporary folder that also holds the
// stand-in converter's link and files.
class CliEndToEnd : public ::testing::Test {
protected:
    CliResult cli(const QStringList& args, const QByteArray& input = {},
                  bool keepInputOpen = false) {
        return runCli(dir.path().string(), args, input, keepInputOpen);
    }
    // The converter's options plus the port option for the tool.
    QStringList onPort(const SimConverter& sim, QStringList args) {
        return QStringList{QStringLiteral("-q"), QStringLiteral("-p"), sim.port()} + args;
    }

    TempDir dir;
};

} // namespace vandrel::testing
