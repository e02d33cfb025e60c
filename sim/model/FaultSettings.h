#pragma once

#include "sim/model/ModelScheduler.h"
#include "sim/model/RequestKind.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Faults the stand-in converter produces on demand, so that the utility's recovery paths can be
// exercised against it.
namespace vandrel::sim {

struct LineFaults {
    unsigned dropInEvery = 0;     // every Nth frame from the utility is lost (0 = none)
    unsigned dropOutEvery = 0;    // every Nth frame to the utility is lost
    unsigned corruptOutEvery = 0; // every Nth frame to the utility carries a wrong checksum
    SimTime answerDelay{0};       // time between a request's arrival and its handling
    std::size_t garbageBytes = 0; // noise bytes sent between frames
    unsigned baudRate = 0;        // line emulation, 11 bits a byte (8N2); 0 = no emulation
};

// Requests of one kind are answered negatively with `status`, `times` times (0 = always).
struct Refusal {
    RequestKind kind = RequestKind::Unknown;
    std::uint8_t status = 0;
    unsigned times = 0;
};

// The answer to the `nth` request of one kind (counted from 1) is held back until the next
// request of that kind arrives, and goes out just before that one's answer: a converter that
// answers just after the utility's time-out, so that its answer crosses the re-send.
struct LateAnswer {
    RequestKind kind = RequestKind::Unknown;
    unsigned nth = 0;
};

// How the converter restarts when a restart fault strikes.
enum class RestartHow {
    Code,     // only "Restart code": the application code restarts directly
    Loader,   // "Restart loader", then "Restart code", as after a reset
    Firmware, // "Restart loader" with status 0x9F: the loader waits for firmware
};

// The `nth` request of one kind (counted from 1) is not answered: the converter restarts
// instead, as one whose watchdog struck or whose supply dipped.
struct RestartFault {
    RequestKind kind = RequestKind::Unknown;
    unsigned nth = 0;
    RestartHow how = RestartHow::Loader;
};

// From the `nth` request of one kind on (counted from 1), every request of that kind goes
// unanswered (`silent`) or is answered negatively with `status`: a converter that fails in the
// middle of an operation and stays so.
struct LastingFailure {
    RequestKind kind = RequestKind::Unknown;
    unsigned nth = 0;
    bool silent = true;
    std::uint8_t status = 0;
};

// A byte of the configuration memory that keeps its value whatever is written to it (a worn
// cell): what is read back then differs from what was written. `offset` is in line order.
struct StuckByte {
    std::size_t offset = 0;
    std::uint8_t value = 0;
};

struct FaultSettings {
    LineFaults line;
    std::vector<Refusal> refusals;
    std::vector<LateAnswer> lateAnswers = {};
    std::vector<RestartFault> restarts = {};
    std::vector<LastingFailure> failures = {};
    std::vector<StuckByte> stuckBytes = {};
};

} // namespace vandrel::sim
