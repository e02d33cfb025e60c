#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdint>

namespace vandrel {

class Console;

// The one progress line of a FLASH transfer: percent, bytes, bytes per second and time left.
class TransferProgress {
public:
    explicit TransferProgress(Console& console) : console_(console) {}

    void start();
    void update(std::int64_t done, std::int64_t total);

    // The line's text; `elapsedMs` is the time since the start.
    static QString format(std::int64_t done, std::int64_t total, std::int64_t elapsedMs);

private:
    Console& console_;
    QElapsedTimer clock_;
    std::int64_t lastDrawMs_ = -1;
};

} // namespace vandrel
