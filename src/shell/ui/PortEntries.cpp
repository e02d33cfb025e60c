#include "shell/ui/PortEntries.h"

#include "link/PortDiscovery.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace vandrel {

QString portDescription(const QString& maker, const QString& product, const QString& serial) {
    QStringList parts;
    for (const QString& part : {maker, product, serial}) {
        if (!part.trimmed().isEmpty()) {
            parts.append(part.trimmed());
        }
    }
    return parts.join(QLatin1String(", "));
}

std::vector<PortEntry> systemPortEntries() {
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    std::vector<PortEntry> entries;
    for (const QString& name : listUsablePorts(serialPortCandidates())) {
        PortEntry entry{name, {}};
        const QString device = QFileInfo(name).canonicalFilePath();
        for (const QSerialPortInfo& info : infos) {
            if (info.systemLocation() == device || info.systemLocation() == name) {
                entry.description =
                    portDescription(info.manufacturer(), info.description(), info.serialNumber());
                break;
            }
        }
        entries.push_back(entry);
    }
    return entries;
}

} // namespace vandrel
