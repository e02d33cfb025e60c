#include "cli/ConfigDiffCommand.h"

#include "cli/ConfigFileCommands.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "config/ConfigFields.h"

namespace vandrel {
namespace {

QString jsonList(const std::vector<ValueDifference>& differences) {
    QString json = QStringLiteral("[");
    for (const ValueDifference& d : differences) {
        if (json.size() > 1) {
            json += QStringLiteral(", ");
        }
        json += QStringLiteral("{\"name\": ") + jsonString(d.name) + QStringLiteral(", \"a\": ") +
                d.aJson + QStringLiteral(", \"b\": ") + d.bJson + QLatin1Char('}');
    }
    return json + QLatin1Char(']');
}

} // namespace

ConfigDifferences compareConfigFiles(const LoadedConfigFile& a, const LoadedConfigFile& b) {
    ConfigDifferences differences;
    const std::vector<FileValue> outsideA = fileValues(a);
    const std::vector<FileValue> outsideB = fileValues(b);
    for (std::size_t i = 0; i < outsideA.size(); ++i) {
        const FileValue& va = outsideA[i];
        const FileValue& vb = outsideB[i];
        if (va.text != vb.text) {
            (va.deviceInfo ? differences.deviceInfo : differences.file)
                .push_back({va.name, va.text, vb.text, va.json, vb.json});
        }
    }
    for (const ConfigField* field : DifferingFields(a.record, b.record)) {
        differences.record.push_back(
            {fieldName(*field), fieldValueText(a.record, *field), fieldValueText(b.record, *field),
             fieldValueJson(a.record, *field), fieldValueJson(b.record, *field)});
    }
    return differences;
}

QString configDiffText(const ConfigDifferences& differences) {
    QString text;
    const auto lines = [&text](const std::vector<ValueDifference>& list, const QString& prefix) {
        for (const ValueDifference& d : list) {
            text += prefix + d.name + QLatin1Char('\t') + d.a + QLatin1Char('\t') + d.b +
                    QLatin1Char('\n');
        }
    };
    lines(differences.file, QString());
    lines(differences.deviceInfo, QStringLiteral("deviceInfo."));
    lines(differences.record, QString());
    return text;
}

QString configDiffJson(const ConfigDifferences& differences) {
    return QStringLiteral("{\"equal\": ") +
           (differences.record.empty() ? QStringLiteral("true") : QStringLiteral("false")) +
           QStringLiteral(", \"file\": ") + jsonList(differences.file) +
           QStringLiteral(", \"deviceInfo\": ") + jsonList(differences.deviceInfo) +
           QStringLiteral(", \"record\": ") + jsonList(differences.record) + QLatin1Char('}');
}

int diffConfigFiles(const std::string& a, const std::string& b, bool json, Console& console) {
    const auto fileA = loadConfigFile(a, console);
    const auto fileB = loadConfigFile(b, console);
    if (!fileA || !fileB) {
        return exit_status::BadFile;
    }
    const ConfigDifferences differences = compareConfigFiles(*fileA, *fileB);
    if (json) {
        console.data(configDiffJson(differences));
    } else {
        QString text = configDiffText(differences);
        if (!text.isEmpty()) {
            text.chop(1);
            console.data(text);
        }
    }
    return differences.record.empty() ? exit_status::Success : exit_status::Differ;
}

} // namespace vandrel
