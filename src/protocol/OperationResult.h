#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// How a device operation ended, and what it brought back. Every operation the session starts
// ends exactly once with one of these; the progress codes it posts on the way only tell how far
// it got.
namespace vandrel {

inline constexpr std::size_t kConfigImageSize = 640;
using ConfigImage = std::array<std::uint8_t, kConfigImageSize>;

enum class OperationKind {
    None,
    Reset,
    SystemInfo,
    ConfigRead,
    ConfigWrite, // with its reset, the wait for the restart and the optional read-back
    FlashLoading,
    FlashDownloading,
    MonitorSwitch, // monitoring on or off
    MonitorCommand,
    PasswordChange,
    LoaderWait, // the converter's loader announced itself; its application code is awaited
};

enum class Outcome {
    Done,
    Refused,           // the converter said no past the repetitions; `status` holds its bytes
    GaveUp,            // no answer after the last repetition
    Cancelled,         // by the user
    PasswordCancelled, // the user cancelled the password question
    PasswordRefused,   // the converter refused the password being changed
    CutShortByRestart, // the converter restarted under the operation; `restart` says how
    LinkLost,          // the port went away under the operation
    FileError,         // a file of ours could not be read or written
    Replaced,          // another operation was started over this one
};

// The converter's restart events, as an operation meets them.
enum class RestartKind {
    None,
    Code,                   // "Restart code": the application code runs
    Loader,                 // "Restart loader": the loader runs, the application code follows
    LoaderWaitsForFirmware, // "Restart loader" with status 0x9F: the loader waits for firmware
};

// What a write learnt when it read the configuration back.
enum class ReadBack {
    NotAsked,
    Identical,
    Differs, // `firstDifference` is the first record offset that differs
    Failed,  // the read-back did not complete; `readBackOutcome` says why
};

struct SystemInfo {
    std::string firmwareVersion;
    std::string loaderVersion;
    std::uint8_t partition = 0xFF;
};

struct OperationResult {
    OperationKind kind = OperationKind::None;
    Outcome outcome = Outcome::Done;
    // The converter's status bytes as hex text ("01 9E"), for a refusal.
    std::string status;
    // A read: the configuration read. A write with read-back: the configuration read back.
    std::optional<ConfigImage> config;
    // A read: the system information that followed it; none when that step failed.
    std::optional<SystemInfo> systemInfo;
    // A read whose system information step did not complete: how that step ended.
    std::optional<Outcome> systemInfoOutcome;
    // FLASH transfers: the firmware file or the image file; how far the transfer got.
    std::string file;
    int percent = 0;
    // CutShortByRestart: which restart. FLASH loading: the loader waits for firmware now.
    RestartKind restart = RestartKind::None;
    // A write: whether every packet was acknowledged, and what its read-back found.
    bool written = false;
    ReadBack readBack = ReadBack::NotAsked;
    std::size_t firstDifference = 0;
    std::optional<Outcome> readBackOutcome;
    // Monitoring on or off: which was asked.
    bool monitoringOn = false;

    bool ok() const { return outcome == Outcome::Done; }
};

// A short English sentence naming an outcome, for traces and the command line.
const char* outcomeName(Outcome outcome);

} // namespace vandrel
