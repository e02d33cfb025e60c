#include "cli/CliOptions.h"

#include "cli/CommandTable.h"
#include "cli/ExitStatus.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace vandrel {
namespace {

constexpr const char* kProgram = "vandrelctl";

void print(std::FILE* out, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), out);
    std::fflush(out);
}

ParseOutcome usageError(const QString& sentence, const QString& command = {}) {
    const QString more = command.isEmpty()
                             ? QStringLiteral("Try 'vandrelctl --help'.")
                             : QStringLiteral("Try 'vandrelctl %1 --help'.").arg(command);
    print(stderr, QStringLiteral("vandrelctl: %1\n%2\n").arg(sentence, more));
    return {std::nullopt, exit_status::Usage};
}

ParseOutcome exitWith(int status) {
    return {std::nullopt, status};
}

// The usage line of QCommandLineParser names only the program; ours names the command too.
QString withUsageLine(const QString& helpText, const QString& usage) {
    const qsizetype end = helpText.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: %1%2").arg(usage, end < 0 ? QString() : helpText.mid(end));
}

QString globalHelp(const QCommandLineParser& parser) {
    QString text =
        withUsageLine(parser.helpText(), QStringLiteral("vandrelctl [OPTIONS] COMMAND [ARGS]"));
    text += QStringLiteral("\nCommands:\n");
    for (const CommandSpec& spec : commandTable()) {
        const QString call =
            QStringLiteral("%1 %2").arg(QLatin1String(spec.name), QLatin1String(spec.arguments));
        // A long call gets its summary on the next line.
        const QString column = call.trimmed().size() < 36
                                   ? call.trimmed().leftJustified(36)
                                   : call.trimmed() + QLatin1Char('\n') + QString(38, u' ');
        text += QStringLiteral("  %1%2\n").arg(column, QLatin1String(spec.summary));
    }
    text += QStringLiteral(
        "\nCOMMAND --help shows a command's own help.\n"
        "\nExit status:\n"
        "  0  success\n"
        "  1  the converter refused (its status bytes are shown), or the operation did not "
        "complete\n"
        "  2  usage error\n"
        "  3  no link: the port could not be opened\n"
        "  4  no answer: the converter did not answer\n"
        "  5  an input file was rejected, or an output file could not be written\n");
    return text;
}

// "show", "convert", ...: the words after "config" in the command table.
QStringList configSubcommands() {
    QStringList words;
    for (const CommandSpec& spec : commandTable()) {
        const QString name = QLatin1String(spec.name);
        if (name.startsWith(QLatin1String("config "))) {
            words.append(name.mid(7));
        }
    }
    return words;
}

QString configHelp() {
    QString text =
        QStringLiteral("Usage: vandrelctl [OPTIONS] config SUBCOMMAND\n\nSubcommands:\n");
    for (const QString& sub : configSubcommands()) {
        const CommandSpec* spec = findCommand(QStringLiteral("config ") + sub);
        text += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(QLatin1String(spec->name), QLatin1String(spec->arguments),
                         QLatin1String(spec->summary));
    }
    return text;
}

// Where the options end and the command begins: options that take a value take the next
// argument along.
qsizetype commandIndex(const QStringList& arguments) {
    static const QStringList kWithValue{QStringLiteral("-p"), QStringLiteral("--port"),
                                        QStringLiteral("-b"), QStringLiteral("--baud"),
                                        QStringLiteral("-P"), QStringLiteral("--password")};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--")) {
            return i + 1;
        }
        if (!a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            return i;
        }
        if (kWithValue.contains(a)) {
            ++i;
        }
    }
    return arguments.size();
}

std::optional<std::uint32_t> parseBaud(const QString& text) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 10);
    if (!ok || value == 0 || value > 0x7FFFFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

ParseOutcome parseCommand(const CommandSpec& spec, const QStringList& rest, Invocation invocation) {
    const QString name = QLatin1String(spec.name);
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(spec.description));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    for (const CommandOption& option : spec.options) {
        if (option.valueName) {
            parser.addOption(QCommandLineOption(QLatin1String(option.name),
                                                QLatin1String(option.description),
                                                QLatin1String(option.valueName)));
        } else {
            parser.addOption(
                QCommandLineOption(QLatin1String(option.name), QLatin1String(option.description)));
        }
    }
    if (!parser.parse(QStringList{QLatin1String(kProgram)} + rest)) {
        return usageError(parser.errorText(), name);
    }
    if (parser.isSet(help)) {
        print(stdout, withUsageLine(parser.helpText(), QStringLiteral("vandrelctl [OPTIONS] %1 %2")
                                                           .arg(name, QLatin1String(spec.arguments))
                                                           .trimmed()));
        return exitWith(exit_status::Success);
    }
    invocation.positional = parser.positionalArguments();
    const auto count = invocation.positional.size();
    if (count < spec.minPositional) {
        return usageError(QStringLiteral("'%1' needs %2 argument(s): %3.")
                              .arg(name)
                              .arg(spec.minPositional)
                              .arg(QLatin1String(spec.arguments)),
                          name);
    }
    if (spec.maxPositional != kAnyNumber && count > spec.maxPositional) {
        return usageError(QStringLiteral("Unexpected argument '%1'.")
                              .arg(invocation.positional[spec.maxPositional]),
                          name);
    }
    for (const CommandOption& option : spec.options) {
        const QString optionName = QLatin1String(option.name);
        if (parser.isSet(optionName)) {
            invocation.values.insert(optionName,
                                     option.valueName ? parser.value(optionName) : QString());
            if (option.valueName) {
                invocation.allValues.insert(optionName, parser.values(optionName));
            }
        }
    }
    invocation.command = name;
    return {std::move(invocation), exit_status::Success};
}

} // namespace

ParseOutcome parseCommandLine(const QStringList& arguments) {
    const qsizetype split = commandIndex(arguments);
    QStringList globalPart = arguments.mid(0, split);
    if (globalPart.isEmpty()) {
        globalPart.append(QLatin1String(kProgram));
    }
    if (globalPart.size() > 1 && globalPart.last() == QLatin1String("--")) {
        globalPart.removeLast();
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Configures and services the converter on a serial line: reads and writes its\n"
        "configuration, loads and downloads its FLASH, resets it, changes its access\n"
        "password and watches its system monitor."));
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("Serial device (default: the \"virtual com port\" "
                                                 "setting)."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption baud({QStringLiteral("b"), QStringLiteral("baud")},
                                  QStringLiteral("Line speed (default: the \"baudrate\" setting, "
                                                 "115200)."),
                                  QStringLiteral("N"));
    const QCommandLineOption password({QStringLiteral("P"), QStringLiteral("password")},
                                      QStringLiteral("Access password sent with protected requests "
                                                     "(default: empty)."),
                                      QStringLiteral("TEXT"));
    const QCommandLineOption trace({QStringLiteral("t"), QStringLiteral("trace")},
                                   QStringLiteral("Protocol trace on stderr."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("No progress output."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    for (const auto* option : {&port, &baud, &password, &trace, &quiet, &help, &version}) {
        parser.addOption(*option);
    }
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("What to do (below)."),
                                 QStringLiteral("COMMAND [ARGS]"));
    if (!parser.parse(globalPart)) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(help)) {
        print(stdout, globalHelp(parser));
        return exitWith(exit_status::Success);
    }
    if (parser.isSet(version)) {
        print(stdout,
              QStringLiteral("vandrelctl %1\n").arg(QCoreApplication::applicationVersion()));
        return exitWith(exit_status::Success);
    }

    Invocation invocation;
    GlobalOptions& options = invocation.options;
    if (parser.isSet(port)) {
        options.port = parser.value(port);
        if (options.port->isEmpty()) {
            return usageError(QStringLiteral("The port name is empty."));
        }
    }
    if (parser.isSet(baud)) {
        options.baud = parseBaud(parser.value(baud));
        if (!options.baud) {
            return usageError(QStringLiteral("'%1' is not a line speed.").arg(parser.value(baud)));
        }
    }
    options.password = parser.value(password);
    if (options.password.toLocal8Bit().size() > kMaxPasswordLength) {
        return usageError(QStringLiteral("The access password has at most %1 characters.")
                              .arg(kMaxPasswordLength));
    }
    options.trace = parser.isSet(trace);
    options.quiet = parser.isSet(quiet);

    QStringList rest = arguments.mid(split);
    if (rest.isEmpty()) {
        return usageError(QStringLiteral("No command given."));
    }
    QString name = rest.takeFirst();
    if (name == QLatin1String("config")) {
        if (rest.isEmpty() || rest.first().startsWith(QLatin1Char('-'))) {
            if (!rest.isEmpty() &&
                (rest.first() == QLatin1String("--help") || rest.first() == QLatin1String("-h"))) {
                print(stdout, configHelp());
                return exitWith(exit_status::Success);
            }
            return usageError(
                QStringLiteral("'config' needs one of: %1.").arg(configSubcommands().join(", ")));
        }
        name += QLatin1Char(' ') + rest.takeFirst();
    }
    const CommandSpec* spec = findCommand(name);
    if (!spec) {
        return usageError(QStringLiteral("Unknown command '%1'.").arg(name));
    }
    return parseCommand(*spec, rest, std::move(invocation));
}

} // namespace vandrel
