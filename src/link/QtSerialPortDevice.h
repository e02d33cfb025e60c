#pragma once

#include "link/PortDevice.h"

#include <QSerialPort>

namespace vandrel {

// The port on Qt Serial Port. Exclusive open: the library's lock file keeps out every program
// that honours it (root included), and the terminal's exclusive mode keeps out the rest.
class QtSerialPortDevice final : public PortDevice {
public:
    QtSerialPortDevice();
    ~QtSerialPortDevice() override;

    void setHandlers(std::function<void()> onReadyRead, std::function<void()> onGone) override;
    PortOpenResult open(const QString& devicePath) override;
    bool setLineSettings(std::uint32_t baudRate) override;
    void setDtr(bool on) override;
    void setRts(bool on) override;
    void clearBuffers(bool output) override;
    bool drainOutput(int timeoutMs) override;
    void close() override;
    bool isOpen() const override;
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> buffer) override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    std::function<void()> onReadyRead_;
    std::function<void()> onGone_;
    bool lossPending_ = false;
};

} // namespace vandrel
