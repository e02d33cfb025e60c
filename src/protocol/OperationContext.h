#pragma once

#include "protocol/OperationResult.h"
#include "protocol/ProtocolFrame.h"
#include "protocol/SessionInterfaces.h"
#include "protocol/SessionTypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What a running operation may use of its session: the links to the world, the one response
// timer, the trace, the converter's password, versions and status text, and the way to end.
namespace vandrel {

inline constexpr std::size_t kMaxVersionText = 63; // versions and the status text
inline constexpr std::size_t kMaxAccessPassword = 32;
inline constexpr std::size_t kMaxMonitorText = 127;
inline constexpr std::size_t kMaxResultBytes = 21; // what fits the 63 characters of the status

inline constexpr int kRetryLimit = 3; // re-sends after the first send
inline constexpr int kResponseTimeoutMs = 1000;
inline constexpr int kResetTimeoutMs = 5000;
inline constexpr int kFlashReadStartTimeoutMs = 5000;
inline constexpr int kFlashStartTimeoutMs = 15000;
inline constexpr int kLoaderStartupTimeoutMs = 15000; // loader announced, application not yet
// After the converter has accepted a reset it restarts and announces itself; a converter that
// stays silent this long is given up like an unanswered request.
inline constexpr int kRestartWaitMs = 30000;

inline constexpr std::size_t kBlockSize = 128; // configuration packet, firmware chunk, image block
inline constexpr int kConfigPacketCount = 5;
inline constexpr std::uint32_t kConfigFirstBlock = 0x700; // packet n lies at (n + 0x700) * 128

// The connections a session needs; any may be null (then nothing goes there).
struct SessionLinks {
    SessionHost* host = nullptr;
    MonitorPane* monitor = nullptr;
    TraceSink* trace = nullptr;
    FrameSink* channel = nullptr;
    TimerService* timers = nullptr;
};

class OperationContext {
public:
    using TimerHandler = std::function<void(TimerId)>;
    using EndHandler = std::function<void(OperationResult)>;

    OperationContext(TimerHandler onTimer, EndHandler onEnd)
        : onTimer_(std::move(onTimer)), onEnd_(std::move(onEnd)) {}
    ~OperationContext() { stopTimer(); }
    OperationContext(const OperationContext&) = delete;
    OperationContext& operator=(const OperationContext&) = delete;

    SessionLinks links;

    // --- Sending.
    // A new frame; the process ends through the host when memory is exhausted.
    FramePtr newFrame(std::uint8_t type);
    // No frame could be allocated: the host tells the user, the process ends with exit code 1.
    [[noreturn]] void fatalOutOfMemory() const;
    // Dumps the sealed frame to the trace and hands it to the channel.
    void sendFrame(FramePtr frame);
    // Seals, writes the status line (unless empty) and sends.
    void sendRequest(FramePtr frame, std::string_view statusLine);
    // The reply to a restart event: one field `ackTag` carrying the restart code.
    void sendAcknowledgement(std::uint8_t ackTag);
    // The port is open: follow-ups and re-sends may go out.
    bool linkUp() const { return links.channel != nullptr && links.channel->isOpen(); }
    // Asks the host to open the link before an operation starts.
    bool ensureLink() const { return links.host != nullptr && links.host->ensureLink(); }

    // --- The one response timer. Starting one replaces the one running.
    void startTimer(int milliseconds);
    void stopTimer();
    TimerId timerId() const { return timerId_; }
    // The timer's tick arrived: forget it before anything else runs.
    void timerExpired() { timerId_ = 0; }

    // --- Reports.
    void post(SessionProgress code, int value) const;
    void traceLine(std::string_view text) const;
    template <typename... Args> void traceFormat(const char* format, Args... args) const {
        if (links.trace) {
            links.trace->addFormattedLine(kTraceStatusColour, format, args...);
        }
    }
    // An answer whose address is not the step's: it changes nothing.
    void traceStale(std::uint32_t address) const;
    void setMonitoring(bool on) const;

    // --- What the session knows of the converter.
    std::string accessPassword;
    std::uint8_t restartCode = 0;
    const std::string& resultHex() const { return resultHex_; }
    void setResultHex(std::string hex) { resultHex_ = std::move(hex); }
    void setResultHex(const std::optional<FrameField>& statusField);
    const SystemInfo& systemInfo() const { return systemInfo_; }
    // Before asking: the versions are forgotten and the partition unknown.
    void clearSystemInfo();
    // Versions and partition from a system information answer, traced.
    void takeSystemInfo(const ProtocolFrame& frame);
    // A restart event's version text.
    void takeRestartVersion(const ProtocolFrame& frame, bool loader);
    // While the loader runs: a refusal gets the loader's acknowledgement again, a partition
    // number is taken and traced.
    void onLoaderFrame(const ProtocolFrame& frame);

    // --- The session's state while no operation runs.
    SessionState idleState = SessionState::Initial;

    // --- The operation's end; the session delivers it to the host.
    // Tells the host that the converter wants the password; false when there is no host to
    // ask (the question counts as cancelled).
    bool askPassword() const;
    void end(OperationResult result) { onEnd_(std::move(result)); }

private:
    TimerHandler onTimer_;
    EndHandler onEnd_;
    TimerId timerId_ = 0;
    std::string resultHex_;
    SystemInfo systemInfo_{{}, {}, 0};
};

} // namespace vandrel
