#include "cli/CliMain.h"

#include "cli/CliDevice.h"
#include "cli/CliOptions.h"
#include "cli/ConfigDiffCommand.h"
#include "cli/ConfigEditCommands.h"
#include "cli/ConfigFileCommands.h"
#include "cli/ConfigTransferCommands.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/FlashCommands.h"
#include "cli/MonitorCommand.h"
#include "cli/SystemCommands.h"
#include "config/AccessPassword.h"
#include "link/PortDiscovery.h"
#include "protocol/FirmwareFile.h"
#include "settings/LinkSettings.h"

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace vandrel {
namespace {

int usage(Console& console, const QString& sentence, const QString& command) {
    console.error(
        QStringLiteral("vandrelctl: %1\nTry 'vandrelctl %2 --help'.").arg(sentence, command));
    return exit_status::Usage;
}

// Runs a command on the converter with the port and speed from the options or the settings.
int onDevice(const Invocation& call, Console& console, DeviceCommand& command) {
    LinkSettings settings;
    settings.load();
    const QString port = call.options.port.value_or(settings.portName);
    const std::uint32_t baud = call.options.baud.value_or(settings.baudrate);
    CliDevice device(port, baud, call.options, console);
    return device.run(command);
}

std::string localPath(const QString& path) {
    return path.toLocal8Bit().toStdString();
}

int info(const Invocation& call, Console& console) {
    InfoCommand command;
    return onDevice(call, console, command);
}

int read(const Invocation& call, Console& console) {
    ReadCommand command(localPath(call.positional[0]));
    return onDevice(call, console, command);
}

int write(const Invocation& call, Console& console) {
    // NAME=VALUE arguments may follow --set, as in "--set number1=4711 number2=4712".
    const QStringList more = call.positional.mid(1);
    if (!more.isEmpty() && !call.has("set")) {
        return usage(console, QStringLiteral("Unexpected argument '%1'.").arg(more.first()),
                     call.command);
    }
    const auto assignments = parseAssignments(call.valuesOf("set") + more, console);
    if (!assignments) {
        return exit_status::Usage;
    }
    auto file = loadConfigFile(localPath(call.positional[0]), console);
    if (!file) {
        return exit_status::BadFile;
    }
    if (!applyAssignments(file->record, *assignments, console)) {
        console.error(QStringLiteral("Nothing was written to the converter."));
        return exit_status::Usage;
    }
    std::optional<std::string> backupFolder;
    if (call.has("backup")) {
        const QString folder = call.values.value(QStringLiteral("backup"));
        if (folder.isEmpty()) {
            return usage(console, QStringLiteral("--backup needs a folder."), call.command);
        }
        backupFolder = localPath(folder);
    }
    stampAccessPassword(file->record, call.options.password.toStdString());
    WriteCommand command(file->record, call.has("verify"), std::move(backupFolder));
    return onDevice(call, console, command);
}

int reset(const Invocation& call, Console& console) {
    ResetCommand command;
    return onDevice(call, console, command);
}

int flash(const Invocation& call, Console& console) {
    const std::string path = localPath(call.positional[0]);
    std::string version;
    if (!checkFirmwareHeader(path, version)) {
        console.error(QStringLiteral("%1 is not a firmware file: its header is missing or wrong.")
                          .arg(call.positional[0]));
        return exit_status::BadFile;
    }
    console.data(QStringLiteral("firmware: %1").arg(QString::fromLatin1(version.c_str())));
    FlashCommand command(path, console);
    return onDevice(call, console, command);
}

int dump(const Invocation& call, Console& console) {
    DumpCommand command(localPath(call.positional[0]), console);
    return onDevice(call, console, command);
}

int monitor(const Invocation& call, Console& console) {
    std::uint8_t mask = 0;
    if (call.has("mask")) {
        bool ok = false;
        const uint value = call.values.value(QStringLiteral("mask")).toUInt(&ok, 16);
        // The pane's check boxes cover these bits only.
        if (!ok || value > 0xFF || (value & ~0x77u) != 0) {
            return usage(console,
                         QStringLiteral("The mask is a hex byte of the bits 01 02 04 10 20 40."),
                         call.command);
        }
        mask = static_cast<std::uint8_t>(value);
    }
    std::optional<double> seconds;
    if (call.has("seconds")) {
        bool ok = false;
        seconds = call.values.value(QStringLiteral("seconds")).toDouble(&ok);
        if (!ok || *seconds < 0 || *seconds > 2e6) {
            return usage(console, QStringLiteral("--seconds needs a number of seconds."),
                         call.command);
        }
    }
    MonitorCommand command(mask, seconds);
    return onDevice(call, console, command);
}

int passwd(const Invocation& call, Console& console) {
    const std::string next = call.positional[0].toStdString();
    if (next.size() > static_cast<std::size_t>(kMaxPasswordLength)) {
        return usage(console,
                     QStringLiteral("The access password has at most %1 characters.")
                         .arg(kMaxPasswordLength),
                     call.command);
    }
    PasswdCommand command(next);
    return onDevice(call, console, command);
}

int ports(const Invocation&, Console& console) {
    for (const QString& port : listUsablePorts(serialPortCandidates())) {
        console.data(port);
    }
    return exit_status::Success;
}

int configShow(const Invocation& call, Console& console) {
    return showConfigFile(localPath(call.positional[0]), call.has("json"), console);
}

int configGet(const Invocation& call, Console& console) {
    return getConfigFields(localPath(call.positional[0]), call.positional.mid(1), console);
}

int configSet(const Invocation& call, Console& console) {
    return setConfigFields(localPath(call.positional[0]), localPath(call.positional[1]),
                           call.positional.mid(2), console);
}

int configDiff(const Invocation& call, Console& console) {
    return diffConfigFiles(localPath(call.positional[0]), localPath(call.positional[1]),
                           call.has("json"), console);
}

int configConvert(const Invocation& call, Console& console) {
    return convertConfigFile(localPath(call.positional[0]), localPath(call.positional[1]), console);
}

int configDefaults(const Invocation& call, Console& console) {
    return writeDefaultConfigFile(localPath(call.positional[0]), console);
}

using Runner = int (*)(const Invocation&, Console&);

const std::map<QString, Runner>& runners() {
    static const std::map<QString, Runner> table{
        {QStringLiteral("info"), info},
        {QStringLiteral("read"), read},
        {QStringLiteral("write"), write},
        {QStringLiteral("reset"), reset},
        {QStringLiteral("flash"), flash},
        {QStringLiteral("dump"), dump},
        {QStringLiteral("monitor"), monitor},
        {QStringLiteral("passwd"), passwd},
        {QStringLiteral("ports"), ports},
        {QStringLiteral("config show"), configShow},
        {QStringLiteral("config get"), configGet},
        {QStringLiteral("config set"), configSet},
        {QStringLiteral("config diff"), configDiff},
        {QStringLiteral("config convert"), configConvert},
        {QStringLiteral("config defaults"), configDefaults},
    };
    return table;
}

} // namespace

int runCli(const QStringList& arguments) {
    const ParseOutcome parsed = parseCommandLine(arguments);
    if (!parsed.invocation) {
        return parsed.status;
    }
    const Invocation& call = *parsed.invocation;
    Console console(call.options.quiet);
    const auto runner = runners().find(call.command);
    if (runner == runners().end()) {
        return usage(console, QStringLiteral("Unknown command '%1'.").arg(call.command), QString());
    }
    return runner->second(call, console);
}

} // namespace vandrel
