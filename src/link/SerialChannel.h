#pragma once

#include "link/PortDevice.h"
#include "link/PortOpenResult.h"
#include "protocol/FrameAssembler.h"
#include "protocol/SessionInterfaces.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace vandrel {

class SerialIoThread;
class SerialIoWorker;

// The one serial port to the converter. One I/O thread with its own event loop owns the port:
// it reads whenever bytes arrive, feeds them to the frame assembler, writes posted frames in
// order in paced pieces, and re-opens the port when the device behind it goes away and comes
// back. start, stop and postFrame belong to the thread that owns the channel (the GUI thread).
class SerialChannel final : public FrameSink {
public:
    // Called on the I/O thread for each complete received frame; the receiver owns it. A Qt host
    // turns it into a queued call to its own thread (see QueuedFrameHandler.h).
    using FrameHandler = std::function<void(ReceivedFrame)>;
    // Called on the I/O thread when the port went away (false) and when it is open again after
    // that (true); a deliberate start or stop is not reported.
    using LinkStateHandler = std::function<void(bool open)>;

    static constexpr std::size_t kReadChunk = 256;
    static constexpr int kReopenIntervalMs = 100;
    static constexpr int kIdleTickMs = 1000;
    static constexpr int kPieceGapMs = 1;
    // How long a deliberate close waits for written frames to leave.
    static constexpr int kDrainLimitMs = 500;

    // Without a factory the port is a QtSerialPortDevice.
    explicit SerialChannel(PortDeviceFactory makeDevice = {});
    ~SerialChannel() override;
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    void setFrameHandler(FrameHandler onFrame);
    void setLinkStateHandler(LinkStateHandler onLinkState);

    // Opens `portName` at `baudRate` and runs the I/O thread. A running channel is stopped first.
    // Without a handler the one from before is kept. On failure the channel is left stopped,
    // unless the port had been lost while running: then it keeps trying the new name.
    ChannelStartResult start(const QString& portName, std::uint32_t baudRate,
                             FrameHandler onFrame = {});
    // Writes every frame posted before, closes the port and ends the I/O thread. Safe at any time.
    void stop();
    bool isOpen() const override;
    // Queues a sealed frame for writing; false (and the frame released) when no I/O thread runs.
    bool postFrame(FramePtr frame) override;
    // Lets a stalled frame in the assembler age; runs once a second on the I/O thread.
    void idleTick();

private:
    friend class SerialIoWorker;

    // I/O thread only.
    PortOpenResult openPort();
    std::size_t writeBytes(std::span<const std::uint8_t> bytes);
    std::size_t readAvailable(std::span<std::uint8_t> buffer);
    void feedReceived(std::span<const std::uint8_t> bytes);
    // `deliberate`: let written bytes leave, lower DTR and purge first; otherwise the device has
    // gone and the handle is just closed.
    void closePort(bool deliberate);
    void reportLinkState(bool open);

    void stopLocked();

    PortDeviceFactory makeDevice_;

    std::mutex controlMutex_; // start, stop, postFrame
    std::unique_ptr<SerialIoThread> thread_;
    SerialIoWorker* worker_ = nullptr;

    // Owned by the worker; set, used and cleared on the I/O thread only, like the two below.
    PortDevice* device_ = nullptr;
    QString portName_;
    std::uint32_t baudRate_ = 0;

    std::atomic<bool> open_{false};
    std::atomic<bool> stopRequested_{false};

    // The channel's one lock: the assembler, the frames it completed and the handler.
    mutable std::mutex lock_;
    FrameAssembler assembler_;
    std::vector<ReceivedFrame> completed_;
    FrameHandler onFrame_;
    LinkStateHandler onLinkState_;
};

} // namespace vandrel
