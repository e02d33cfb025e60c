#pragma once

#include "config/ConfigAssignment.h"

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace vandrel {

class Console;
struct ConverterConfig;

// NAME=VALUE arguments as assignments, their values in the record's single-byte characters;
// none after telling on the console which argument is not of that form.
std::optional<std::vector<FieldAssignment>> parseAssignments(const QStringList& arguments,
                                                             Console& console);

// Changes `record` by the field rules; false, with the record unchanged, after printing every
// refusal.
bool applyAssignments(ConverterConfig& record, const std::vector<FieldAssignment>& assignments,
                      Console& console);

// config set and config get; each returns the exit status.
int setConfigFields(const std::string& in, const std::string& out, const QStringList& assignments,
                    Console& console);
int getConfigFields(const std::string& path, const QStringList& names, Console& console);

} // namespace vandrel
