#pragma once

#include "link/PortDevice.h"
#include "protocol/FrameWire.h"
#include "protocol/ProtocolFrame.h"

#include <QObject>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <deque>
#include <vector>

namespace vandrel {

class SerialChannel;

// The I/O thread's side of the channel: lives in that thread and owns the port device. Frames
// queue in order; each goes out in its wire pieces with a short pause after every piece, paced
// by a timer so that reading goes on in between.
class SerialIoWorker final : public QObject {
public:
    SerialIoWorker(SerialChannel& channel, std::unique_ptr<PortDevice> device);
    ~SerialIoWorker() override;

    PortOpenResult openFor(const QString& portName, std::uint32_t baudRate);
    void enqueue(FramePtr frame);
    // Writes what is queued, closes the port and ends the thread's event loop.
    void finish();

private:
    void pump();
    void onReadyRead();
    void onGone();
    void retryOpen();
    void endNow();

    SerialChannel& channel_;
    std::unique_ptr<PortDevice> device_;
    QTimer pauseTimer_;
    QTimer reopenTimer_;
    QTimer idleTimer_;
    std::deque<FramePtr> queue_;
    std::vector<WirePiece> pieces_;
    std::size_t nextPiece_ = 0;
    bool finishing_ = false;
};

// The I/O thread: makes the worker (and through it the device) inside itself, runs the event
// loop, and destroys both there when the loop ends.
class SerialIoThread final : public QThread {
public:
    SerialIoThread(SerialChannel& channel, PortDeviceFactory makeDevice);
    // Blocks until run() has made the worker.
    SerialIoWorker* waitForWorker();

protected:
    void run() override;

private:
    SerialChannel& channel_;
    PortDeviceFactory makeDevice_;
    QSemaphore ready_;
    SerialIoWorker* worker_ = nullptr;
};

} // namespace vandrel
