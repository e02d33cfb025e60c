#pragma once

#include <QString>

#include <memory>

namespace vandrel {

namespace sim {
class PtyConverter;
}

// The stand-in converter served on a pseudo-terminal inside the program, for trying Vandrel
// without a converter.
class DemoConverter {
public:
    DemoConverter();
    ~DemoConverter();
    DemoConverter(const DemoConverter&) = delete;
    DemoConverter& operator=(const DemoConverter&) = delete;

    // False (with a note on stderr) when no pseudo-terminal could be made.
    bool start();
    // The device to open as the serial port.
    QString devicePath() const;

private:
    std::unique_ptr<sim::PtyConverter> converter_;
};

} // namespace vandrel
