#pragma once

#include <cstdint>

// The vocabulary between the protocol engine and its host window.
namespace vandrel {

enum class SessionState : std::int32_t {
    Initial = 1,       // no request made yet
    Resetting = 2,     // reset sent; waiting for the converter to restart
    LoaderRunning = 3, // the loader announced itself; waiting for the application code
    Ready = 10,        // application code runs; service requests are marked in the pending bits
    FlashStart = 20,
    FlashLoading = 21, // a chunk, the stop or the cancel is outstanding
    ConfigReading = 30,
    ConfigWriting = 40,
    Failed = 50, // the last request timed out for good
};

// Outstanding service requests while Ready (and the cancel marker while FlashLoading).
namespace pending {
inline constexpr std::uint32_t MonitorOn = 0x0002;
inline constexpr std::uint32_t MonitorOff = 0x0004;
inline constexpr std::uint32_t MonitorCommand = 0x0008;
inline constexpr std::uint32_t FlashCancel = 0x0040;
inline constexpr std::uint32_t SystemInfo = 0x0080;
inline constexpr std::uint32_t FlashReadStart = 0x0100;
inline constexpr std::uint32_t PasswordChange = 0x0200;
inline constexpr std::uint32_t FlashReadData = 0x0400;
} // namespace pending

// Questions the session asks its host and needs answered at once.
enum class SessionQuery : std::int32_t {
    AskPassword = 1, // non-zero: a password was entered and is now the access password
    RunOpen = 2,     // run the Open command
    EnsureLink = 3,  // make sure the serial link is open; 0: nothing may be sent
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
