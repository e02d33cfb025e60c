#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>

#include <signal.h>
#include <sys/types.h>

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

// Runs vandrelctl and sends it `signal` as soon as its standard error holds `marker` (with the
// trace on, a frame it sent or a line it wrote); the status is -1 when the marker never came.
inline CliResult runCliUntil(const std::string& settingsFolder, const QStringList& args,
                             const QByteArray& marker, int signal, int timeoutMs = 60000) {
    ensureApplication();
    QProcess process;
    process.setProcessEnvironment(environmentFor(settingsFolder));
    process.setReadChannel(QProcess::StandardError);
    process.start(kCliPath, args);
    CliResult result;
    if (!process.waitForStarted()) {
        return result;
    }
    process.closeWriteChannel();
    const QDeadlineTimer deadline(timeoutMs);
    while (!result.err.contains(marker) && process.state() == QProcess::Running &&
           !deadline.hasExpired()) {
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        result.err += process.readAllStandardError();
    }
    const bool seen = result.err.contains(marker);
    if (seen) {
        ::kill(static_cast<pid_t>(process.processId()), signal);
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.err += process.readAllStandardError();
    result.out = process.readAllStandardOutput();
    if (seen) {
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return result;
}

} // namespace vandrel::testing
