#pragma once

#include "protocol/SessionInterfaces.h"
#include "protocol/SessionTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The protocol engine's record: one session with one converter. Everything here runs on the
// thread of the host window, so the record needs no lock.
namespace vandrel {

inline constexpr std::size_t kConfigImageSize = 640;
inline constexpr std::size_t kMaxVersionText = 63; // versions and the status text
inline constexpr std::size_t kMaxFlashPath = 259;
inline constexpr std::size_t kMaxAccessPassword = 32;

class DeviceSession {
public:
    DeviceSession() = default;
    virtual ~DeviceSession() = default;
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Connections to the world. Null until the host provides them; while `notifyWindow` is null
    // nothing is posted and every query counts as answered 0.
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

    std::array<std::uint8_t, kConfigImageSize> configImage{};
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
};

} // namespace vandrel
