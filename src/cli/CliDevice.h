#pragma once

#include "cli/Console.h"
#include "cli/StderrTrace.h"
#include "link/QtTimerService.h"
#include "link/SerialChannel.h"
#include "protocol/DeviceSession.h"

#include <QEventLoop>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace vandrel {

class DeviceCommand;
struct GlobalOptions;

// The host of the command-line tool: owns the serial channel, the session and its timers on a
// Qt core event loop, asks for the password when the converter wants it, and turns operation
// results into the command's next step or the tool's exit status.
class CliDevice final : public SessionHost {
public:
    CliDevice(const QString& portName, std::uint32_t baudRate, const GlobalOptions& options,
              Console& console);
    ~CliDevice() override;
    CliDevice(const CliDevice&) = delete;
    CliDevice& operator=(const CliDevice&) = delete;

    // Runs `command` until it finishes; its exit status.
    int run(DeviceCommand& command);
    // Ends the command with `status`; a non-empty message goes to stderr first (an error
    // sentence for a failure, a note for success). Later calls change nothing.
    void finish(int status, const QString& message = {});
    bool finished() const { return finished_; }

    // Opens the port unless it is open; false (and the command finished with status 3) when it
    // cannot be.
    bool openLink();

    DeviceSession& session() { return session_; }
    Console& console() { return console_; }
    // The monitor display while a command shows the converter's monitor output.
    void setMonitorPane(MonitorPane* pane);

    // SessionHost.
    bool ensureLink() override;
    void postSessionProgress(SessionProgress code, int value) override;
    void operationEnded(const OperationResult& result) override;
    void passwordWanted() override;

private:
    void onProgress(SessionProgress code, int value);
    void commonProgress(SessionProgress code, int value);
    void onEnded(const OperationResult& result);
    void commonEnd(const OperationResult& result);
    // The converter restarted under the command: it starts over once the application code runs.
    void startOverAfterRestart(const OperationResult& result);
    void onInterrupt();
    void askPassword();
    void connectSession();

    QString portName_;
    std::uint32_t baudRate_;
    Console& console_;
    StderrTrace trace_;
    bool traceOn_;

    // The session refers to the channel and the timers, so they outlive it.
    SerialChannel channel_;
    QtTimerService timers_;
    DeviceSession session_;
    bool linkStarted_ = false;

    MonitorPane* monitorPane_ = nullptr;

    DeviceCommand* command_ = nullptr;
    int restartsSurvived_ = 0;
    bool awaitingRestart_ = false; // the command starts over once the application code runs
    bool firmwareRefused_ = false; // the loader asked for firmware; the cancel is on its way
    bool resetNoted_ = false;
    bool loaderTimedOut_ = false;

    bool finished_ = false;
    int status_ = 0;
    QEventLoop loop_;
    // Queued calls (frames, progress reports) are delivered through it; destroyed first, so none
    // reaches a half-destroyed device.
    QObject context_;
};

} // namespace vandrel
