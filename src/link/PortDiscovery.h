#pragma once

#include "link/PortOpenResult.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace vandrel {

// Tries an exclusive open of a device path and closes it again at once.
using PortProbe = std::function<PortOpenResult(const QString& devicePath)>;

PortOpenResult probePort(const QString& devicePath);

// The system's serial devices and their stable names under `byIdFolder`, in natural order
// (ttyS2 before ttyS10), without duplicates.
QStringList serialPortCandidates(const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));

// The candidates that exist as ports: those that open, and those another program (or this one)
// holds. Order is kept.
QStringList listUsablePorts(const QStringList& candidates, const PortProbe& probe = probePort);

} // namespace vandrel
