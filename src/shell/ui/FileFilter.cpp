#include "shell/ui/FileFilter.h"

namespace vandrel {

QStringList nameFiltersFromPipeText(const QString& pipeText) {
    const QStringList parts = pipeText.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
        }
        patterns.removeAll(QString());
        if (patterns.isEmpty()) {
            continue;
        }
        // The dialog takes the patterns from the last parentheses of each entry.
        const QString list = patterns.join(QLatin1Char(' '));
        if (description.endsWith(QLatin1Char(')')) &&
            description.contains(QLatin1Char('(') + list + QLatin1Char(')'))) {
            filters.append(description);
        } else {
            filters.append(description + QLatin1String(" (") + list + QLatin1Char(')'));
        }
    }
    return filters;
}

} // namespace vandrel
