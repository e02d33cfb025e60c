#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>

// Running the built vandrelctl and vandrel-sim as a user does, with their settings in a
// temporary folder.
namespace vandrel::testing {

inline const QString kCliPath = QStringLiteral(VANDREL_BINARY_DIR "/src/cli/vandrelctl");
inline const QString kSimPath = QStringLiteral(VANDREL_BINARY_DIR "/sim/vandrel-sim");

// QProcess needs an application object; one lives for the whole test program.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "cli_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

struct CliResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline QProcessEnvironment environmentFor(const std::string& settingsFolder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(settingsFolder));
    return env;
}

// Runs vandrelctl; `input` goes to its stdin, which is closed afterwards unless `keepInputOpen`.
inline CliResult runCli(const std::string& settingsFolder, const QStringList& args,
                        const QByteArray& input = {}, bool keepInputOpen = false,
                        int timeoutMs = 60000) {
    ensureApplication();
    QProcess process;
    process.setProcessEnvironment(environmentFor(settingsFolder));
    process.start(kCliPath, args);
    CliResult result;
    if (!process.waitForStarted()) {
        return result;
    }
    if (!input.isEmpty()) {
        process.write(input);
        process.waitForBytesWritten();
    }
    if (!keepInputOpen) {
        process.closeWriteChannel();
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace vandrel::testing
