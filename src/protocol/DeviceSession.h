#pragma once

#include "protocol/DeviceOperation.h"
#include "protocol/FrameAssembler.h"
#include "protocol/ProtocolFrame.h"
#include "protocol/SessionInterfaces.h"
#include "protocol/SessionTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The protocol engine: one session with one converter. Requests put it into a state (or mark a
// pending service request), the dispatcher acts on every frame the converter sends, and the
// response timer repeats what got no answer. Everything runs on the host window's thread, so the
// record needs no lock; time comes only from the TimerService.
namespace vandrel {

inline constexpr std::size_t kMaxVersionText = 63; // versions and the status text
inline constexpr std::size_t kMaxAccessPassword = 32;
inline constexpr std::size_t kMaxMonitorText = 127;
inline constexpr std::size_t kMaxResultBytes = 21; // what fits the 63 characters of resultHex

inline constexpr std::int32_t kRetryLimit = 3; // re-sends after the first send
inline constexpr int kResponseTimeoutMs = 1000;
inline constexpr int kResetTimeoutMs = 5000;
inline constexpr int kFlashReadStartTimeoutMs = 5000;
inline constexpr int kFlashStartTimeoutMs = 15000;
inline constexpr int kLoaderStartupTimeoutMs = 15000; // loader announced, application not yet
// After the converter has accepted a reset it restarts and announces itself; a converter that
// stays silent this long is given up like an unanswered request.
inline constexpr int kRestartWaitMs = 30000;
// Cleared on give-up: every service bit except the two of FLASH downloading, which the give-up
// handles itself.
inline constexpr std::uint32_t kGiveUpFlagMask = 0xFFFFC501;

inline constexpr std::size_t kBlockSize = 128; // configuration packet, firmware chunk, image block
inline constexpr std::int32_t kConfigPacketCount = 5;
inline constexpr std::uint32_t kConfigFirstBlock = 0x700; // packet n lies at (n + 0x700) * 128

class DeviceSession {
public:
    DeviceSession() = default;
    virtual ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // --- Requests: true when the frame was handed to the channel; false when the link check
    // refused (nothing sent, nothing changed). isRetry marks a re-send of the pending step.
    bool requestReset();
    bool requestSystemInfo();
    // Goes on with the read in transfer, else starts one at packet 0.
    bool requestConfigRead(bool isRetry);
    // Goes on with the write in transfer, else starts one at packet 0 with `image`; `image`
    // replaces the image in transfer when given. Without an image and without a write in
    // transfer there is nothing to write: false, nothing sent.
    bool requestConfigWrite(const ConfigImage* image, bool isRetry);
    bool requestMonitor(bool on);
    bool requestMonitorText(std::string_view text);
    bool requestPasswordChange(std::string_view newPassword, std::string_view currentPassword);

    // --- FLASH loading. Only a file the host has chosen, checked and had confirmed for this
    // loading is ever sent.
    // Starts a loading of `confirmedFirmwarePath` (its size taken now). False when the link
    // check refused; nothing is remembered then.
    bool startFlashLoading(const std::string& confirmedFirmwarePath);
    // The converter's loader asked for firmware (code 210) and the loading waits for the host's
    // file.
    bool awaitingFirmware() const;
    // The host's confirmed file for the loading the loader asked for. The first chunk goes out
    // once the converter has taken the start (at once when it already has). False when no such
    // loading waits.
    bool supplyFirmware(const std::string& confirmedFirmwarePath);
    // The host has no file for the loading the loader asked for: the loading is cancelled with
    // the converter, and ends with the converter's answer.
    void declineFirmware();
    // The user cancels a running loading: the cancel goes to the converter, whose answer ends it.
    void cancelFlashLoading();

    // --- FLASH downloading.
    enum class DownloadStart { Started, FileError, NoLink };
    // Creates or empties `imagePath` and asks the converter for its image. FileError: the file
    // cannot be written (nothing sent). NoLink: the link check refused; the emptied file stays.
    DownloadStart startFlashDownloading(const std::string& imagePath);
    // The user cancelled FLASH downloading: nothing is sent; the timer stops and the partial
    // image file is deleted. Does nothing unless downloading is pending.
    void stopFlashDownloading();

    // --- Frames from the converter, in arrival order. The session owns the frame from here.
    void onFrameReceived(ReceivedFrame received);

    // --- Timing.
    // The response timer's callback; a tick of any timer but the current one is ignored.
    void onResponseTimeout(TimerId id);
    // True while the port is open and the last transaction was not given up.
    bool isResponding() const;

    // --- What the hosts read.
    OperationKind operation() const;
    // The configuration packet outstanding; 0 when no configuration transfer runs.
    std::int32_t packetNumber() const;
    // Size and current offset of the running FLASH transfer; 0 when none runs.
    std::int32_t flashTotal() const;
    std::int32_t flashOffset() const;
    // The configuration last read in full; a failed or cancelled read leaves it as it was.
    const ConfigImage& configImage() const { return configImage_; }
    const std::string& loaderVersion() const { return loaderVersion_; }
    const std::string& firmwareVersion() const { return firmwareVersion_; }
    std::uint8_t activePartition() const { return activePartition_; }
    // Hex text of the last status field, "01 9E".
    const std::string& resultHex() const { return resultHex_; }

    // --- Building blocks, public so hosts and tests can use them directly.
    void sendFrame(FramePtr frame);
    bool startTimer(int milliseconds);
    bool stopTimer();
    [[noreturn]] void fatalOutOfMemory();
    void formatResultHex(const std::optional<FrameField>& field);

    // Connections to the world. Null until the host provides them; while `notifyWindow` is null
    // nothing is posted and every query counts as answered 0. The channel must queue frames: the
    // session is not re-entered from postFrame.
    SessionHost* notifyWindow = nullptr;
    MonitorPane* monitorPane = nullptr;
    TraceSink* trace = nullptr;
    FrameSink* channel = nullptr;
    TimerService* timers = nullptr;

    SessionState state = SessionState::Initial;
    std::uint32_t pendingFlags = 0;
    std::int32_t retryCount = 0; // re-sends of the current request; at most 3
    TimerId timerId = 0;

    std::uint8_t restartCode = 0;
    std::string accessPassword; // at most kMaxAccessPassword characters

    // Asks the host; 0 when there is no host.
    int query(SessionQuery q) const { return notifyWindow ? notifyWindow->sessionQuery(q) : 0; }
    // Queues a progress report for the host; dropped when there is none.
    void post(SessionProgress code, int value) const {
        if (notifyWindow) {
            notifyWindow->postSessionProgress(code, value);
        }
    }

private:
    struct Progress {
        SessionProgress code;
        int value;
    };

    // The operation in transfer.
    ConfigTransfer* configTransfer() { return std::get_if<ConfigTransfer>(&transfer_); }
    FlashLoad* flashLoad() { return std::get_if<FlashLoad>(&transfer_); }
    FlashDownload* flashDownload() { return std::get_if<FlashDownload>(&transfer_); }
    const FlashLoad* flashLoad() const { return std::get_if<FlashLoad>(&transfer_); }
    const FlashDownload* flashDownload() const { return std::get_if<FlashDownload>(&transfer_); }
    // A new transfer replaces whatever ran; a download it replaces is forgotten, not deleted,
    // since its file may be the new operation's.
    void beginTransfer(Transfer next);
    // Sets the state; an operation that does not run in the new state ends here.
    void enterState(SessionState next);

    // Request procedure.
    bool linkReady() const { return query(SessionQuery::EnsureLink) != 0; }
    FramePtr newFrame(std::uint8_t type);
    void addPassword(ProtocolFrame& frame, std::string_view password);
    void completeRequest(FramePtr frame, std::string_view statusLine,
                         std::optional<Progress> progress, int timeoutMs, bool repeat);
    void sendAcknowledgement(std::uint8_t ackTag);
    // A re-send or follow-up the link check refused ends the operation like a give-up, so that
    // no host waits for an answer to a request that never went out.
    void giveUpUnlessSent(bool sent);

    // FLASH requests: only for the loading or downloading in transfer.
    bool beginFlashLoading(FlashLoad load);
    bool requestFlashStart(); // again, for the loading in transfer
    void sendFlashStart(bool repeat);
    bool requestFlashChunk(bool isRetry);
    bool requestFlashStop(bool isRetry);
    bool requestFlashCancel(bool isRetry);
    bool requestFlashReadStart(); // again, for the download in transfer
    void sendFlashReadStart(bool repeat);
    bool requestFlashRead(bool isRetry);

    // Timing.
    void giveUp();
    void resendPending();
    bool resendReadyRequest();
    bool repeatFlashLoadingStep();

    // Trace.
    void traceLine(std::string_view text) const;
    template <typename... Args> void traceFormat(const char* format, Args... args) const {
        if (trace) {
            trace->addFormattedLine(kTraceStatusColour, format, args...);
        }
    }
    // An answer whose address is not the one of the step outstanding: it changes nothing.
    void traceStale(std::uint32_t address) const;

    // Dispatch.
    void dispatchByState(const ProtocolFrame& frame);
    void onRestartEvent(const ProtocolFrame& frame, bool loader);
    void onResetting(const ProtocolFrame& frame);
    void onLoaderRunning(const ProtocolFrame& frame);
    void onReadyPositive(const ProtocolFrame& frame);
    void onReadyNegative(const ProtocolFrame& frame);
    void onReadyMonitorRefused(std::uint32_t bit, bool accessDenied);
    void onReadyPasswordChangeRefused(bool accessDenied);
    void onSystemInfo(const ProtocolFrame& frame);
    // The password question after status 0x9E; false when the user cancelled (then (code, 5) is
    // posted and the caller ends its operation).
    bool askPassword(SessionProgress code);

    // Configuration transfer.
    void onConfigTransfer(const ProtocolFrame& frame, bool writing);
    void onConfigAnswer(ConfigTransfer& transfer, const ProtocolFrame& frame,
                        const FrameField& data);
    void endConfigTransfer(int outcome);

    // FLASH loading.
    void onFlashStart(const ProtocolFrame& frame);
    void onFlashLoading(const ProtocolFrame& frame);
    void onChunkAcknowledged(FlashLoad& load, const FrameField& ack);
    void endFlashLoading(int outcome);
    // FLASH downloading.
    void onFlashImageSize(const FrameField& size);
    void onFlashImageBlock(const ProtocolFrame& frame, const FrameField& data);
    void onFlashReadRefused(const ProtocolFrame& frame);
    // Ends the download: (56, outcome) unless none, the pending bits cleared, the partial image
    // deleted when asked.
    void endFlashDownloading(std::optional<int> outcome, bool deleteImage);

    Transfer transfer_;
    ConfigImage configImage_{};
    std::string loaderVersion_;   // at most kMaxVersionText characters
    std::string firmwareVersion_; // at most kMaxVersionText characters
    std::uint8_t activePartition_ = 0;
    std::string resultHex_;
};

} // namespace vandrel
