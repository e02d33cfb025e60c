#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace vandrel {

// A port the chooser lists: its name and what the system knows about the device behind it
// (maker, product, serial number), empty for a plain serial port.
struct PortEntry {
    QString name;
    QString description;
};

using PortLister = std::function<std::vector<PortEntry>()>;

// "maker, product, serial number", leaving out what is unknown.
QString portDescription(const QString& maker, const QString& product, const QString& serial);

// The usable serial ports of this machine, the stable /dev/serial/by-id names among them, each
// with the description of its device (a by-id name describes the device it points to).
std::vector<PortEntry> systemPortEntries();

} // namespace vandrel
