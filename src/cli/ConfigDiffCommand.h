#pragma once

#include <QString>

#include <string>
#include <vector>

namespace vandrel {

class Console;
struct LoadedConfigFile;

// One value that differs between two configuration files.
struct ValueDifference {
    QString name;
    QString a; // as `config show` prints it
    QString b;
    QString aJson;
    QString bJson;
};

// What differs between two files: the file version, the device information and the record's
// fields (record order), each listed on its own.
struct ConfigDifferences {
    std::vector<ValueDifference> file;
    std::vector<ValueDifference> deviceInfo;
    std::vector<ValueDifference> record;
};

ConfigDifferences compareConfigFiles(const LoadedConfigFile& a, const LoadedConfigFile& b);

// Tab-separated lines: the version, then deviceInfo.NAME, then the record's fields.
QString configDiffText(const ConfigDifferences& differences);
QString configDiffJson(const ConfigDifferences& differences);

// config diff: 0 when the records are equal, 1 when they differ, 5 when a file is rejected.
int diffConfigFiles(const std::string& a, const std::string& b, bool json, Console& console);

} // namespace vandrel
