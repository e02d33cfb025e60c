#pragma once

#include "protocol/DeviceOperation.h"
#include "protocol/FrameAssembler.h"
#include "protocol/OperationContext.h"
#include "protocol/OperationResult.h"
#include "protocol/ProtocolFrame.h"
#include "protocol/SessionInterfaces.h"
#include "protocol/SessionTypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The protocol engine: one session with one converter. It routes: the host starts operations
// through it, every frame from the converter and every tick of the response timer goes to the
// operation that runs, and the converter's restart events are acknowledged here and then handed
// to that operation. Each operation is an object of its own (DeviceOperation) that ends exactly
// once with a typed result, which the host receives through SessionHost::operationEnded.
// Everything runs on the host's thread; time comes only from the TimerService.
namespace vandrel {

class DeviceSession {
public:
    DeviceSession();
    explicit DeviceSession(const SessionLinks& links);
    virtual ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Replaces every connection; nothing reaches the old ones afterwards.
    void connect(const SessionLinks& links);
    // The protocol trace comes and goes while the session runs.
    void setTrace(TraceSink* trace) { ctx_.links.trace = trace; }
    // So does the monitor display (a wrapper that counts what it shows, for one).
    void setMonitorPane(MonitorPane* monitor) { ctx_.links.monitor = monitor; }

    // --- Operations. Starting one while another runs ends that one (as Replaced). False when
    // nothing was sent (the link check refused, or nothing to do).
    bool requestReset();
    // Goes out without a link check of its own.
    bool requestSystemInfo();
    bool requestConfigRead();
    // Writes `image`, resets the converter and waits for it; with `readBack` then reads the
    // configuration back and compares.
    bool requestConfigWrite(const ConfigImage& image, bool readBack = false);
    // The same switch asked again before the converter answered counts as a re-send.
    bool requestMonitor(bool on);
    bool requestMonitorText(std::string text);
    bool requestPasswordChange(std::string newPassword, std::string currentPassword);
    // A loading of a file the host has chosen, checked and had confirmed.
    bool startFlashLoading(const std::string& confirmedFirmwarePath);
    enum class DownloadStart { Started, FileError, NoLink };
    // FileError: the image file cannot be written (nothing sent); NoLink: the link check
    // refused. An existing file is replaced only by a complete image.
    DownloadStart startFlashDownloading(const std::string& imagePath);

    // --- The host's part.
    // The answer to SessionHost::passwordWanted: the password, or none when the user
    // cancelled. Ignored when no operation waits for one.
    void answerPassword(std::optional<std::string> password);
    // The converter's loader asked for firmware and the loading waits for the host's file.
    bool awaitingFirmware() const;
    // The host's confirmed file for that loading; false when no such loading waits.
    bool supplyFirmware(const std::string& confirmedFirmwarePath);
    // The host has no file for it: the loading is cancelled with the converter.
    void declineFirmware();
    // The user cancels the running operation. A FLASH loading sends the cancel and ends with
    // the converter's answer; any other operation stops at once, sending nothing.
    void cancel();
    // The port went away: the running operation ends as LinkLost.
    void onLinkLost();
    void setAccessPassword(const std::string& password);
    const std::string& accessPassword() const { return ctx_.accessPassword; }

    // --- Frames from the converter, in arrival order. The session owns the frame from here.
    void onFrameReceived(ReceivedFrame received);

    // --- What the hosts read.
    SessionState state() const;
    OperationKind operation() const;
    bool waitingForPassword() const;
    // True while the port is open and the last transaction was not given up.
    bool isResponding() const;
    // The running operation's re-sends of its step outstanding.
    int retryCount() const;
    // The configuration packet outstanding; 0 when no configuration transfer runs.
    int packetNumber() const;
    // Size, current offset and progress of the running FLASH transfer; 0 when none runs.
    std::int32_t flashTotal() const;
    std::int32_t flashOffset() const;
    int flashPercent() const;
    const std::string& loaderVersion() const { return ctx_.systemInfo().loaderVersion; }
    const std::string& firmwareVersion() const { return ctx_.systemInfo().firmwareVersion; }
    std::uint8_t activePartition() const { return ctx_.systemInfo().partition; }
    // Hex text of the last status field, "01 9E".
    const std::string& resultHex() const { return ctx_.resultHex(); }
    std::uint8_t restartCode() const { return ctx_.restartCode; }
    // The response timer running, 0 for none.
    TimerId timerId() const { return ctx_.timerId(); }

private:
    DeviceOperation* running() const;
    bool startOperation(std::unique_ptr<DeviceOperation> operation);
    // Ends the operation that runs, if any, and sends the new one's first request.
    void install(std::unique_ptr<DeviceOperation> operation);
    // Drops an operation that has ended, once no call of it is under way.
    void reap();
    void onTimer(TimerId id);
    void onEnd(OperationResult result);
    void onRestartEvent(const ProtocolFrame& frame, bool loader);
    void dispatch(const ProtocolFrame& frame);
    void onReadyFrame(const ProtocolFrame& frame, DeviceOperation* operation);

    OperationContext ctx_;
    std::unique_ptr<DeviceOperation> operation_;
    std::unique_ptr<DeviceOperation> retired_;
};

} // namespace vandrel
