#include "cli/CommandTable.h"

#include <array>

namespace vandrel {
namespace {

constexpr std::array<CommandOption, 3> kWriteOptions{{
    {"verify", nullptr, "Read the configuration back after the restart and compare it."},
    {"backup", "DIR",
     "First save the configuration the converter holds as a backup in DIR (made if missing; "
     "the newest 100 backups are kept) and print its path; nothing is written unless the "
     "backup is saved."},
    {"set", "NAME=VALUE",
     "Change a field on the way to the converter, as 'config set' does; repeatable, and more "
     "NAME=VALUE arguments may follow."},
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
                "access password is stamped into the record first. When the system information\n"
                "does not come, the configuration is saved without it, with a warning, and the\n"
                "command succeeds. A command that fails leaves an existing FILE as it was.",
                1,
                1,
                {}},
    CommandSpec{"write", "FILE [--verify] [--backup DIR] [--set NAME=VALUE...]",
                "Write a configuration file to the converter.",
                "Loads a configuration file, changes the fields given with --set by the rules of\n"
                "'config set' (the file itself stays unchanged), stamps the access password into\n"
                "the record, writes it to the converter, then resets the converter and waits\n"
                "until its application code runs again. A value the rules refuse ends with\n"
                "status 2 before the converter is touched.\n"
                "With --backup, the converter's configuration and system information are read\n"
                "first, as 'read' does, and saved in DIR as DATE_TIME_FIRMWARE.dat (local time);\n"
                "stdout shows 'backup: PATH'. Backups beyond the newest 100 are removed; other\n"
                "files in DIR never are. A backup that cannot be saved ends with status 5 and\n"
                "a read that fails with its own status, both before anything is written.",
                1, kAnyNumber, kWriteOptions},
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
                "Downloads the converter's FLASH image into FILE. FILE is replaced only by the\n"
                "complete image: a download that fails or is cancelled by SIGINT or SIGTERM\n"
                "leaves an existing FILE as it was and no partial file behind.",
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
    CommandSpec{"config get",
                "FILE NAME...",
                "Print fields of a configuration file.",
                "Prints the value of each named field on a line of its own, as 'config show'\n"
                "prints it. Besides the record's fields: version, firmwareVersion, loaderVersion\n"
                "and systemInfoNumber. An unknown name prints nothing and ends with status 2.",
                2,
                kAnyNumber,
                {}},
    CommandSpec{"config set",
                "IN OUT NAME=VALUE...",
                "Change fields and write a version-3 file.",
                "Reads IN, changes the named fields by the rules of the configuration pages and\n"
                "writes the result to OUT as version 3 (OUT may be IN; it is replaced whole or\n"
                "not at all). Texts take only their field's characters (a letter is taken in the\n"
                "case the field uses) up to its length, and their count follows them; numbers\n"
                "are decimal or 0x hex within their range; a flag byte changes only the bits the\n"
                "pages edit; a switched-on code must not be empty. A value the rules refuse, or\n"
                "an unknown field, changes nothing, writes nothing and ends with status 2 and a\n"
                "message naming the field and its rule.",
                3,
                kAnyNumber,
                {}},
    CommandSpec{
        "config diff", "A B [--json]", "Compare two configuration files.",
        "Prints the fields whose values differ, one line each: name, value in A and value\n"
        "in B, separated by tabs. The file version and the device information come first\n"
        "(as version and deviceInfo.NAME), then the record's fields in record order.\n"
        "Values are compared as 'config show' prints them. Status 0 when the records are\n"
        "equal (even if version or device information differ), 1 when they differ, 5\n"
        "when a file is rejected. With --json: one object {\"equal\": BOOL, \"file\": [...],\n"
        "\"deviceInfo\": [...], \"record\": [...]} of {\"name\", \"a\", \"b\"} entries.",
        2, 2, kShowOptions},
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
