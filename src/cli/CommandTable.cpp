#include "cli/CommandTable.h"

#include <array>

namespace vandrel {
namespace {

constexpr std::array<CommandOption, 1> kWriteOptions{{
    {"verify", nullptr, "Read the configuration back after the restart and compare it."},
}};
constexpr std::array<CommandOption, 2> kMonitorOptions{{
    {"mask", "HEX", "Monitoring mask sent when monitoring starts (bits of 77; default 00)."},
    {"seconds", "N", "Switch monitoring off after N seconds."},
}};
constexpr std::array<CommandOption, 1> kShowOptions{{
    {"json", nullptr, "Print one JSON object."},
}};

constexpr std::array kCommands{
    CommandSpec{"info",
                "",
                "Show the firmware and loader versions and the FLASH partition.",
                "Asks the converter for its system information and prints three lines:\n"
                "firmware: TEXT, loader: TEXT and partition: N.",
                0,
                0,
                {}},
    CommandSpec{"read",
                "FILE",
                "Read the configuration into a configuration file.",
                "Reads the configuration from the converter and saves it as a configuration file\n"
                "(version 3) together with the system information that follows the read. The\n"
                "access password is stamped into the record first.",
                1,
                1,
                {}},
    CommandSpec{"write", "FILE [--verify]", "Write a configuration file to the converter.",
                "Loads a configuration file, stamps the access password into it, writes it to the\n"
                "converter, then resets the converter and waits until its application code runs\n"
                "again.",
                1, 1, kWriteOptions},
    CommandSpec{"reset",
                "",
                "Reset the converter.",
                "Resets the converter and waits until its application code runs again.",
                0,
                0,
                {}},
    CommandSpec{"flash",
                "FIRMWARE",
                "Load a firmware file into the converter's FLASH.",
                "Checks the firmware file's header, prints its version and loads the file into\n"
                "the converter's FLASH. Also serves a converter whose loader waits for firmware.\n"
                "SIGINT or SIGTERM cancel the loading.",
                1,
                1,
                {}},
    CommandSpec{"dump",
                "FILE",
                "Download the converter's FLASH image into a file.",
                "Downloads the converter's FLASH image into FILE. SIGINT or SIGTERM cancel the\n"
                "download and delete the partial file.",
                1,
                1,
                {}},
    CommandSpec{"monitor", "[--mask HEX] [--seconds N]", "Watch the converter's system monitor.",
                "Switches system monitoring on and sends the mask as V=HH, copies the converter's\n"
                "text to stdout, sends each line read from stdin as a command line (with CR LF),\n"
                "and switches monitoring off at the end of input, after N seconds, or on SIGINT\n"
                "or SIGTERM. Lines longer than 125 characters are cut.",
                0, 0, kMonitorOptions},
    CommandSpec{"passwd",
                "NEW",
                "Change the access password.",
                "Changes the converter's access password from the --password value to NEW\n"
                "(at most 32 characters).",
                1,
                1,
                {}},
    CommandSpec{
        "ports", "", "List the serial ports.", "Lists the serial ports, one per line.", 0, 0, {}},
    CommandSpec{"config show", "FILE [--json]", "Show a configuration file.",
                "Prints the file's version, its device information and every named field of the\n"
                "record. Numbers are decimal, texts show their valid characters, unnamed byte\n"
                "ranges are hex.",
                1, 1, kShowOptions},
    CommandSpec{"config convert",
                "IN OUT",
                "Convert a configuration file to version 3.",
                "Reads a configuration file of any version (upgrading older ones) and writes it\n"
                "as version 3, the record otherwise unchanged.",
                2,
                2,
                {}},
    CommandSpec{"config defaults",
                "OUT",
                "Write the default configuration.",
                "Writes a configuration file holding the default record and empty device\n"
                "information.",
                1,
                1,
                {}},
};

} // namespace

std::span<const CommandSpec> commandTable() {
    return kCommands;
}

const CommandSpec* findCommand(const QString& name) {
    for (const CommandSpec& spec : kCommands) {
        if (name == QLatin1String(spec.name)) {
            return &spec;
        }
    }
    return nullptr;
}

} // namespace vandrel
