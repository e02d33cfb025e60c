#include "link/SerialChannel.h"

#include "link/DevicePath.h"
#include "link/QtSerialPortDevice.h"
#include "link/SerialIoWorker.h"

namespace vandrel {

SerialChannel::SerialChannel(PortDeviceFactory makeDevice)
    : makeDevice_(std::move(makeDevice)),
      assembler_([this](ReceivedFrame frame) { completed_.push_back(std::move(frame)); }) {
    if (!makeDevice_) {
        makeDevice_ = [] { return std::make_unique<QtSerialPortDevice>(); };
    }
}

SerialChannel::~SerialChannel() {
    stop();
}

void SerialChannel::setFrameHandler(FrameHandler onFrame) {
    std::lock_guard guard(lock_);
    onFrame_ = std::move(onFrame);
}

ChannelStartResult SerialChannel::start(const QString& portName, std::uint32_t baudRate,
                                        FrameHandler onFrame) {
    std::lock_guard control(controlMutex_);
    if (onFrame) {
        setFrameHandler(std::move(onFrame));
    }
    if (isOpen()) {
        stopLocked();
    }
    bool startedThread = false;
    if (!thread_) {
        stopRequested_ = false;
        auto thread = std::make_unique<SerialIoThread>(*this, makeDevice_);
        thread->start(QThread::HighPriority);
        if (!thread->isRunning()) {
            return {PortOpenResult::Opened, true};
        }
        worker_ = thread->waitForWorker();
        thread_ = std::move(thread);
        startedThread = true;
    }
    // The port belongs to the I/O thread, so it is opened there; this also keeps a start from
    // racing the thread's own re-open attempts.
    PortOpenResult result = PortOpenResult::OtherError;
    SerialIoWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker, [&] { result = worker->openFor(portName, baudRate); },
        Qt::BlockingQueuedConnection);
    if (result != PortOpenResult::Opened && startedThread) {
        stopLocked();
    }
    return {result, false};
}

void SerialChannel::stop() {
    std::lock_guard control(controlMutex_);
    stopLocked();
}

void SerialChannel::stopLocked() {
    if (!thread_) {
        return;
    }
    stopRequested_ = true;
    // Queued behind every frame posted so far, so those are written first.
    SerialIoWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->finish(); }, Qt::QueuedConnection);
    thread_->wait();
    thread_.reset();
    worker_ = nullptr;
    open_ = false;
    std::lock_guard guard(lock_);
    assembler_.reset();
    completed_.clear();
}

bool SerialChannel::isOpen() const {
    return open_;
}

bool SerialChannel::postFrame(FramePtr frame) {
    std::lock_guard control(controlMutex_);
    if (!thread_ || !frame) {
        return false;
    }
    SerialIoWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker, [worker, f = std::move(frame)]() mutable { worker->enqueue(std::move(f)); },
        Qt::QueuedConnection);
    return true;
}

void SerialChannel::setLinkStateHandler(LinkStateHandler onLinkState) {
    std::lock_guard guard(lock_);
    onLinkState_ = std::move(onLinkState);
}

void SerialChannel::reportLinkState(bool open) {
    LinkStateHandler handler;
    {
        std::lock_guard guard(lock_);
        handler = onLinkState_;
    }
    if (handler && !stopRequested_) {
        handler(open);
    }
}

void SerialChannel::idleTick() {
    std::lock_guard guard(lock_);
    assembler_.idleTick();
}

PortOpenResult SerialChannel::openPort() {
    device_->close();
    open_ = false;
    const PortOpenResult result = device_->open(devicePathForPortName(portName_));
    if (result != PortOpenResult::Opened) {
        return result;
    }
    device_->clearBuffers(true);
    if (!device_->setLineSettings(baudRate_)) {
        device_->close();
        return PortOpenResult::SettingsRefused;
    }
    device_->setDtr(true);
    device_->setRts(true);
    {
        std::lock_guard guard(lock_);
        assembler_.reset();
        completed_.clear();
    }
    open_ = true;
    return PortOpenResult::Opened;
}

std::size_t SerialChannel::writeBytes(std::span<const std::uint8_t> bytes) {
    return device_->write(bytes);
}

std::size_t SerialChannel::readAvailable(std::span<std::uint8_t> buffer) {
    return device_->read(buffer);
}

void SerialChannel::feedReceived(std::span<const std::uint8_t> bytes) {
    std::vector<ReceivedFrame> done;
    FrameHandler handler;
    {
        std::lock_guard guard(lock_);
        assembler_.feed(bytes);
        done.swap(completed_);
        if (!done.empty()) {
            handler = onFrame_;
        }
    }
    // Handed on outside the lock; without a handler the frames are released here.
    for (ReceivedFrame& frame : done) {
        if (handler) {
            handler(std::move(frame));
        }
    }
}

void SerialChannel::closePort(bool deliberate) {
    if (deliberate && device_->isOpen()) {
        // Frames written before a stop must reach the converter: the output queue is purged only
        // when it would not drain (else closing would wait for it), never under bytes in transit.
        const bool drained = device_->drainOutput(kDrainLimitMs);
        device_->setDtr(false);
        device_->clearBuffers(!drained);
    }
    device_->close();
    open_ = false;
}

} // namespace vandrel
