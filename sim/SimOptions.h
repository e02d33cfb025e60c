#pragma once

#include "sim/model/ConverterModel.h"
#include "sim/model/FaultSettings.h"

#include <optional>
#include <string>
#include <vector>

// The command line of vandrel-sim.
namespace vandrel::sim {

struct SimOptions {
    std::string linkPath;
    ModelSettings model;
    FaultSettings faults;
    double unplugAfter = -1; // seconds; negative = never
    double replugAfter = 1;  // seconds between unplugging and replugging
    bool boot = false;       // send the restart events at start, as after power-on
    // Where the converter's configuration (as on the line) and FLASH image are written at exit,
    // so that callers can check what it ended up holding; empty = not written.
    std::string saveConfigPath;
    std::string saveFlashPath;
    bool help = false;
};

// The options, or none with `error` set.
std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args, std::string& error);
std::string simUsage();

} // namespace vandrel::sim
