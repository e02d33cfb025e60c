#include "cli/ConfigEditCommands.h"

#include "cli/ConfigFileCommands.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "config/ConfigFields.h"
#include "config/ConfigFile.h"

#include <algorithm>

namespace vandrel {

std::optional<std::vector<FieldAssignment>> parseAssignments(const QStringList& arguments,
                                                             Console& console) {
    std::vector<FieldAssignment> assignments;
    for (const QString& argument : arguments) {
        const auto beyond = std::find_if(argument.begin(), argument.end(),
                                         [](QChar c) { return c.unicode() > 0xFF; });
        if (beyond != argument.end()) {
            console.error(QStringLiteral("%1: '%2' is not a character the configuration can hold.")
                              .arg(argument.section(QLatin1Char('='), 0, 0), QString(*beyond)));
            return std::nullopt;
        }
        const QByteArray bytes = argument.toLatin1();
        auto assignment = ParseFieldAssignment(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (!assignment) {
            console.error(QStringLiteral("'%1' is not of the form NAME=VALUE.").arg(argument));
            return std::nullopt;
        }
        assignments.push_back(std::move(*assignment));
    }
    return assignments;
}

bool applyAssignments(ConverterConfig& record, const std::vector<FieldAssignment>& assignments,
                      Console& console) {
    const std::vector<std::string> refusals = ApplyFieldAssignments(record, assignments);
    for (const std::string& refusal : refusals) {
        console.error(recordText(refusal));
    }
    return refusals.empty();
}

int setConfigFields(const std::string& in, const std::string& out, const QStringList& arguments,
                    Console& console) {
    const auto assignments = parseAssignments(arguments, console);
    if (!assignments) {
        return exit_status::Usage;
    }
    auto file = loadConfigFile(in, console);
    if (!file) {
        return exit_status::BadFile;
    }
    if (!applyAssignments(file->record, *assignments, console)) {
        console.error(QStringLiteral("Nothing was written."));
        return exit_status::Usage;
    }
    if (WriteConfigFile(out, file->record, file->info) != kConfigWritten) {
        console.error(QStringLiteral("The configuration could not be written to %1.")
                          .arg(QString::fromStdString(out)));
        return exit_status::BadFile;
    }
    return exit_status::Success;
}

int getConfigFields(const std::string& path, const QStringList& names, Console& console) {
    for (const QString& name : names) {
        const bool known =
            FindConfigField(name.toStdString()) != nullptr ||
            std::any_of(kFileValueNames.begin(), kFileValueNames.end(),
                        [&name](const char* fileName) { return name == QLatin1String(fileName); });
        if (!known) {
            console.error(QStringLiteral("'%1' is not a field of the configuration.").arg(name));
            return exit_status::Usage;
        }
    }
    const auto file = loadConfigFile(path, console);
    if (!file) {
        return exit_status::BadFile;
    }
    const std::vector<FileValue> outside = fileValues(*file);
    for (const QString& name : names) {
        if (const ConfigField* field = FindConfigField(name.toStdString())) {
            console.data(fieldValueText(file->record, *field));
            continue;
        }
        for (const FileValue& value : outside) {
            if (value.name == name) {
                console.data(value.text);
            }
        }
    }
    return exit_status::Success;
}

} // namespace vandrel
