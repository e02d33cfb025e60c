#include "link/PortDiscovery.h"

#include "link/QtSerialPortDevice.h"

#include <QDir>
#include <QSerialPortInfo>

#include <algorithm>

namespace vandrel {
namespace {

// Compares runs of digits by value, so that ttyUSB2 sorts before ttyUSB10.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            // Skip leading zeros; then the longer run is the larger number.
            while (i + 1 < a.size() && a[i] == QLatin1Char('0') && a[i + 1].isDigit()) {
                ++i;
            }
            while (j + 1 < b.size() && b[j] == QLatin1Char('0') && b[j + 1].isDigit()) {
                ++j;
            }
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit()) {
                ++ei;
            }
            while (ej < b.size() && b[ej].isDigit()) {
                ++ej;
            }
            const QStringView na = QStringView(a).mid(i, ei - i);
            const QStringView nb = QStringView(b).mid(j, ej - j);
            if (na.size() != nb.size()) {
                return na.size() < nb.size();
            }
            if (na != nb) {
                return na < nb;
            }
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

PortOpenResult probePort(const QString& devicePath) {
    QtSerialPortDevice device;
    const PortOpenResult result = device.open(devicePath);
    device.close();
    return result;
}

QStringList serialPortCandidates(const QString& byIdFolder) {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        names.append(info.systemLocation());
    }
    const QDir byId(byIdFolder);
    for (const QString& entry : byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        names.append(byId.filePath(entry));
    }
    std::sort(names.begin(), names.end(), naturalLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

QStringList listUsablePorts(const QStringList& candidates, const PortProbe& probe) {
    QStringList listed;
    for (const QString& path : candidates) {
        const PortOpenResult result = probe(path);
        if (result == PortOpenResult::Opened || result == PortOpenResult::AccessDenied) {
            listed.append(path);
        }
    }
    return listed;
}

} // namespace vandrel
