#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace vandrel {

// The options before the command.
struct GlobalOptions {
    std::optional<QString> port;       // default: the "virtual com port" setting
    std::optional<std::uint32_t> baud; // default: the "baudrate" setting
    QString password;
    bool trace = false;
    bool quiet = false;
};

struct Invocation {
    GlobalOptions options;
    QString command;               // "info", ..., "config show"
    QStringList positional;        // the command's arguments
    QMap<QString, QString> values; // the command's options by long name (the last value given);
                                   // flags map to ""
    QMap<QString, QStringList> allValues; // every value of an option given more than once
    bool has(const char* option) const { return values.contains(QLatin1String(option)); }
    QStringList valuesOf(const char* option) const {
        return allValues.value(QLatin1String(option));
    }
};

// What parsing the command line came to: an invocation to run, or an exit status (help and
// version shown, or a usage error reported on stderr).
struct ParseOutcome {
    std::optional<Invocation> invocation;
    int status = 0;
};

ParseOutcome parseCommandLine(const QStringList& arguments);

// The access password has at most this many characters.
inline constexpr int kMaxPasswordLength = 32;

} // namespace vandrel
