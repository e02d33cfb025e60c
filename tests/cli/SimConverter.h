#pragma once

#include "CliProcess.h"

#include <QFile>

#include <string>

namespace vandrel::testing {

// vandrel-sim behind a link in a temporary folder. At the end it leaves the configuration (as on
// the line) and the FLASH image it holds in files beside the link.
class SimConverter {
public:
    SimConverter(const std::string& folder, QStringList args) : folder_(folder) {
        ensureApplication();
        args << QStringLiteral("--link") << port() << QStringLiteral("--save-config")
             << path("sim-config.bin") << QStringLiteral("--save-flash") << path("sim-flash.bin");
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(kSimPath, args);
        // The device path on stdout says the converter is ready.
        ready_ =
            process_.waitForStarted() && process_.waitForReadyRead(5000) && process_.canReadLine();
    }
    ~SimConverter() { stop(); }

    bool ready() const { return ready_; }
    QString port() const { return path("sim-port"); }

    // Ends the converter; afterwards config() and flash() hold its state.
    bool stop() {
        if (process_.state() == QProcess::NotRunning) {
            return stopped_;
        }
        process_.terminate();
        stopped_ = process_.waitForFinished(5000) && process_.exitCode() == 0;
        if (!stopped_) {
            process_.kill();
            process_.waitForFinished();
        }
        return stopped_;
    }
    QByteArray config() const { return readAll("sim-config.bin"); }
    QByteArray flash() const { return readAll("sim-flash.bin"); }

private:
    QString path(const char* name) const {
        return QString::fromStdString(folder_) + QLatin1Char('/') + QLatin1String(name);
    }
    QByteArray readAll(const char* name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::string folder_;
    QProcess process_;
    bool ready_ = false;
    bool stopped_ = false;
};

} // namespace vandrel::testing
