#pragma once

#include <QString>
#include <QtGlobal>

namespace vandrel {

// Which serial port, speed and interface language to use. Loaded at start-up, saved whenever the
// user picks a port or a language.
class LinkSettings {
public:
    static constexpr int kPortNameBuffer = 32; // characters including the terminator
    static constexpr quint32 kDefaultLanguage = 1;
    static constexpr quint32 kDefaultBaudrate = 115200;

    virtual ~LinkSettings() = default;

    // Reads "language" (low 8 bits kept), "virtual com port" and "baudrate"; missing or unusable
    // values give the defaults. Always true.
    bool load();
    // Writes the three values in that order; the store is created by the first save. Failures are
    // not reported: always true.
    bool save() const;

    quint32 language = kDefaultLanguage;
    QString portName; // empty: no port chosen yet
    quint32 baudrate = kDefaultBaudrate;
};

} // namespace vandrel
