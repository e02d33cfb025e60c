#pragma once

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

inline constexpr std::size_t kConfigImageSize = 640;
inline constexpr std::size_t kMaxVersionText = 63; // versions and the status text
inline constexpr std::size_t kMaxFlashPath = 259;
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

using ConfigImage = std::array<std::uint8_t, kConfigImageSize>;

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
    bool requestConfigRead(bool isRetry);
    // `image` replaces the stored configImage (packet 0 of a new write); null keeps it.
    bool requestConfigWrite(const ConfigImage* image, bool isRetry);
    bool requestFlashStart();
    bool requestFlashChunk(bool isRetry);
    bool requestFlashStop(bool isRetry);
    bool requestFlashCancel(bool isRetry);
    bool requestFlashReadStart();
    bool requestFlashRead(bool isRetry);
    bool requestMonitor(bool on);
    bool requestMonitorText(std::string_view text);
    bool requestPasswordChange(std::string_view newPassword, std::string_view currentPassword);

    // --- Frames from the converter, in arrival order. The session owns the frame from here.
    void onFrameReceived(ReceivedFrame received);

    // --- Timing.
    // The response timer's callback; a tick of any timer but the current one is ignored.
    void onResponseTimeout(TimerId id);
    // True while the port is open and the last transaction was not given up.
    bool isResponding() const;

    // --- Firmware transfers, host side.
    enum class DownloadStart { Started, FileError, NoLink };
    bool startFlashLoading(const std::string& confirmedFirmwarePath);
    bool awaitingFirmware() const;
    bool supplyFirmware(const std::string& confirmedFirmwarePath);
    void declineFirmware();
    DownloadStart startFlashDownloading(const std::string& imagePath);
    void cancelFlashLoading();
    // The chosen firmware file: remembered with its size for FLASH loading.
    void useFirmwareFile(const std::string& path);
    // The chosen image file for FLASH downloading: created or emptied. False when it cannot be
    // written (nothing is remembered then).
    bool useImageFile(const std::string& path);
    // The user cancelled FLASH downloading: nothing is sent; the timer stops and the partial
    // image file is deleted. Does nothing unless downloading is pending.
    void stopFlashDownloading();

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

    std::string loaderVersion;   // at most kMaxVersionText characters
    std::string firmwareVersion; // at most kMaxVersionText characters
    std::uint8_t activePartition = 0;
    std::string resultHex; // hex text of the last status field, "01 9E"

    ConfigImage configImage{};
    std::int32_t packetNumber = 0; // configuration packet in transfer, 0..4

    std::string flashFilePath; // firmware or image file in transfer; empty = none
    std::int32_t flashTotal = 0;
    std::int32_t flashOffset = 0;

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

    // Request procedure.
    bool linkReady() const { return query(SessionQuery::EnsureLink) != 0; }
    FramePtr newFrame(std::uint8_t type);
    void addPassword(ProtocolFrame& frame, std::string_view password);
    void completeRequest(FramePtr frame, std::string_view statusLine,
                         std::optional<Progress> progress, int timeoutMs, bool repeat);
    void sendAcknowledgement(std::uint8_t ackTag);
    int transferPercent() const;

    // Timing.
    void giveUp();
    void resendPending();
    void resendReadyRequest();
    void resendFlashLoading();

    // Trace.
    void traceLine(std::string_view text) const;
    template <typename... Args> void traceFormat(const char* format, Args... args) const {
        if (trace) {
            trace->addFormattedLine(kTraceStatusColour, format, args...);
        }
    }

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
    std::size_t cutConfigPacket(std::uint8_t* out) const;
    void storeConfigPacket(std::span<const std::uint8_t> value);

    // FLASH loading.
    void onFlashStart(const ProtocolFrame& frame);
    void onFlashLoading(const ProtocolFrame& frame);
    void endFlashLoading(int result);
    void repeatFlashLoadingStep();
    // FLASH downloading.
    void onFlashImageSize(const FrameField& size);
    void onFlashImageBlock(const ProtocolFrame& frame, const FrameField& data);
    void onFlashReadRefused(const ProtocolFrame& frame);
    void deleteFlashFile() const;
};

} // namespace vandrel
