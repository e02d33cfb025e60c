#pragma once

#include "link/PortOpenResult.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace vandrel {

// The serial port as the channel uses it. One object lives in the channel's I/O thread and is
// used only there; its handlers are called in that thread too. Kept small so a unit test can
// script open failures and line errors.
class PortDevice {
public:
    virtual ~PortDevice() = default;

    // `onReadyRead`: bytes are waiting. `onGone`: the device behind the open port went away; called
    // once per loss, after the event that showed it has been handled.
    virtual void setHandlers(std::function<void()> onReadyRead, std::function<void()> onGone) = 0;

    // Exclusive open in raw binary mode.
    virtual PortOpenResult open(const QString& devicePath) = 0;
    // 8 data bits, no parity, two stop bits, no flow control at `baudRate`; false when refused.
    virtual bool setLineSettings(std::uint32_t baudRate) = 0;
    // Raise or lower DTR, raise RTS. Lines a device lacks are silently left alone.
    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;
    // Drops what is queued for reading and, with `output`, what waits to be sent.
    virtual void clearBuffers(bool output) = 0;
    // Lets what was written leave, for at most `timeoutMs`, before a deliberate close; true when
    // nothing is left waiting.
    virtual bool drainOutput(int timeoutMs) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues bytes for the line without waiting for them to go out; the count taken.
    virtual std::size_t write(std::span<const std::uint8_t> bytes) = 0;
    // Takes up to `buffer.size()` received bytes without blocking.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
};

// Makes the device; called in the I/O thread, which then owns the result.
using PortDeviceFactory = std::function<std::unique_ptr<PortDevice>()>;

} // namespace vandrel
