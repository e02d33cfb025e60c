#include "link/SerialIoWorker.h"

#include "link/SerialChannel.h"

#include <array>

namespace vandrel {

SerialIoWorker::SerialIoWorker(SerialChannel& channel, std::unique_ptr<PortDevice> device)
    : channel_(channel), device_(std::move(device)) {
    channel_.device_ = device_.get();
    device_->setHandlers([this] { onReadyRead(); }, [this] { onGone(); });

    pauseTimer_.setSingleShot(true);
    pauseTimer_.setTimerType(Qt::PreciseTimer);
    pauseTimer_.setInterval(SerialChannel::kPieceGapMs);
    QObject::connect(&pauseTimer_, &QTimer::timeout, this, [this] { pump(); });

    reopenTimer_.setInterval(SerialChannel::kReopenIntervalMs);
    QObject::connect(&reopenTimer_, &QTimer::timeout, this, [this] { retryOpen(); });

    idleTimer_.setInterval(SerialChannel::kIdleTickMs);
    QObject::connect(&idleTimer_, &QTimer::timeout, this, [this] { channel_.idleTick(); });
    idleTimer_.start();
}

SerialIoWorker::~SerialIoWorker() {
    device_->setHandlers({}, {});
    device_->close();
    channel_.open_ = false;
    channel_.device_ = nullptr;
}

PortOpenResult SerialIoWorker::openFor(const QString& portName, std::uint32_t baudRate) {
    channel_.portName_ = portName;
    channel_.baudRate_ = baudRate;
    const PortOpenResult result = channel_.openPort();
    if (result == PortOpenResult::Opened) {
        reopenTimer_.stop();
    }
    return result;
}

void SerialIoWorker::enqueue(FramePtr frame) {
    queue_.push_back(std::move(frame));
    pump();
}

void SerialIoWorker::finish() {
    finishing_ = true;
    reopenTimer_.stop();
    idleTimer_.stop();
    pump();
}

void SerialIoWorker::pump() {
    while (!pauseTimer_.isActive()) {
        if (nextPiece_ < pieces_.size() && device_->isOpen()) {
            channel_.writeBytes(pieces_[nextPiece_].view());
            ++nextPiece_;
            const bool lastWrite = nextPiece_ == pieces_.size() && queue_.empty();
            if (lastWrite && finishing_) {
                break; // nothing follows that the pause would keep apart
            }
            pauseTimer_.start();
            return;
        }
        // The frame is out, or the port was lost under it (the rest is dropped).
        pieces_.clear();
        nextPiece_ = 0;
        if (queue_.empty()) {
            break;
        }
        FramePtr frame = std::move(queue_.front());
        queue_.pop_front();
        if (device_->isOpen()) {
            pieces_ = frameWirePieces(frame->frameBytes());
        }
        // Released here: written into pieces or dropped with the port closed.
    }
    if (finishing_ && !pauseTimer_.isActive()) {
        endNow();
    }
}

void SerialIoWorker::onReadyRead() {
    if (finishing_) {
        return;
    }
    std::array<std::uint8_t, SerialChannel::kReadChunk> buffer{};
    for (;;) {
        const std::size_t n = channel_.readAvailable(buffer);
        if (n == 0) {
            return;
        }
        channel_.feedReceived(std::span<const std::uint8_t>(buffer.data(), n));
    }
}

void SerialIoWorker::onGone() {
    channel_.closePort(false);
    if (finishing_ || channel_.stopRequested_) {
        return;
    }
    channel_.reportLinkState(false);
    if (channel_.openPort() == PortOpenResult::Opened) {
        channel_.reportLinkState(true);
    } else {
        reopenTimer_.start();
    }
}

void SerialIoWorker::retryOpen() {
    if (finishing_ || channel_.stopRequested_ || device_->isOpen()) {
        reopenTimer_.stop();
        return;
    }
    if (channel_.openPort() == PortOpenResult::Opened) {
        reopenTimer_.stop();
        channel_.reportLinkState(true);
    }
}

void SerialIoWorker::endNow() {
    pauseTimer_.stop();
    reopenTimer_.stop();
    idleTimer_.stop();
    channel_.closePort(true);
    QThread::currentThread()->quit();
}

SerialIoThread::SerialIoThread(SerialChannel& channel, PortDeviceFactory makeDevice)
    : channel_(channel), makeDevice_(std::move(makeDevice)) {}

SerialIoWorker* SerialIoThread::waitForWorker() {
    ready_.acquire();
    return worker_;
}

void SerialIoThread::run() {
    SerialIoWorker worker(channel_, makeDevice_());
    worker_ = &worker;
    ready_.release();
    exec();
}

} // namespace vandrel
