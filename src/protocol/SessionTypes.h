#pragma once

#include <cstdint>

// The vocabulary between the protocol engine and its hosts.
namespace vandrel {

enum class SessionState : std::int32_t {
    Initial = 1,       // no request made yet
    Resetting = 2,     // reset sent; waiting for the converter to restart
    LoaderRunning = 3, // the loader announced itself; waiting for the application code
    Ready = 10,        // application code runs; a service request may be outstanding
    FlashStart = 20,
    FlashLoading = 21, // a chunk, the stop or the cancel is outstanding
    ConfigReading = 30,
    ConfigWriting = 40,
    Failed = 50, // the last request timed out for good
};

// Progress reports the session queues for its host: a code and a result or a percentage.
enum class SessionProgress : std::int32_t {
    ResetSent = 1,
    RestartLoader = 3,
    RestartCode = 4,
    LoaderTimedOut = 5,
    ConfigReadSent = 10,
    ConfigReadEnded = 11,
    ConfigWriteSent = 20,
    ConfigWriteEnded = 21,
    MonitorSent = 30,
    MonitorEnded = 31,
    FlashChunkSent = 50, // percent
    FlashStartSent = 51,
    FlashLoadEnded = 52,
    FlashReadStartSent = 55,
    FlashReadEnded = 56,
    FlashBlockRequested = 57, // percent
    SystemInfoSent = 60,
    SystemInfoEnded = 61,
    PasswordChangeSent = 80,
    PasswordChangeEnded = 81,
    GaveUp = 200,
    LoaderWaitsForFirmware = 210,
};

// Result values carried with the progress codes that end an operation.
namespace result {
inline constexpr int Sent = 0;
inline constexpr int Success = 1;
inline constexpr int Failed = 2;
inline constexpr int Cancelled = 4;
inline constexpr int PasswordCancelled = 5;
inline constexpr int PasswordRefused = 6;
} // namespace result

} // namespace vandrel
