#pragma once

#include "protocol/ProtocolFrame.h"
#include "protocol/SessionTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The small interfaces through which the protocol engine reaches the rest of the program, so it
// runs the same against the real window, port and clock as against test doubles.
namespace vandrel {

// What the user typed into the open change-password dialog.
struct PasswordChangeTexts {
    std::string newPassword;
    std::string currentPassword;
};

// The window that owns the session.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    // Answered synchronously, inside the caller.
    virtual int sessionQuery(SessionQuery query) = 0;
    // Queued: the host handles it after the caller has returned.
    virtual void postSessionProgress(SessionProgress code, int value) = 0;
    // The change-password dialog's texts while it is open, for re-sending the change; none once
    // it has been closed.
    virtual std::optional<PasswordChangeTexts> passwordChangeTexts() const { return std::nullopt; }
    // A frame could not be allocated: tell the user and end the process with exit code 1.
    // Must not return.
    virtual void fatalOutOfMemory() { std::exit(1); }
};

using TimerId = std::uint32_t; // 0 = no timer

// One-shot timers delivered on the session's thread.
class TimerService {
public:
    virtual ~TimerService() = default;
    // Calls `onExpiry(id)` once after `milliseconds`; returns the new timer's id, 0 on failure.
    virtual TimerId startTimer(int milliseconds, std::function<void(TimerId)> onExpiry) = 0;
    // Cancels a timer; an unknown or expired id is ignored.
    virtual void killTimer(TimerId id) = 0;
};

// Where sealed frames go: the serial channel.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Takes ownership; false when no writer runs (the frame is then released).
    virtual bool postFrame(FramePtr frame) = 0;
    virtual bool isOpen() const = 0;
};

using TraceColour = std::uint32_t; // 0xBBGGRR

inline constexpr TraceColour kTraceStatusColour = 0x808000;
inline constexpr TraceColour kTraceTextColour = 0x000000;
inline constexpr TraceColour kTraceOutColour = 0xFF0000;
inline constexpr TraceColour kTraceInColour = 0x0000FF;
inline constexpr TraceColour kTraceMarkerColour = 0x0000FF;

enum class FrameDirection { Out = 0, In = 1 };

// The protocol trace: status lines and hex dumps of every frame.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void addLine(std::string_view text, TraceColour colour) = 0;
    virtual void dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection direction) = 0;

    // printf-style convenience over addLine.
    void addFormattedLine(TraceColour colour, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
};

// The system monitor pane.
class MonitorPane {
public:
    virtual ~MonitorPane() = default;
    virtual void setMonitoring(bool on) = 0;
    virtual void appendMonitorText(std::span<const std::uint8_t> text) = 0;
    // The command line the user is sending (re-sent on a time-out).
    virtual std::string commandText() const = 0;
};

} // namespace vandrel
