#include "link/QtSerialPortDevice.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

#include <limits>

#include <sys/ioctl.h>
#include <sys/stat.h>

namespace vandrel {

QtSerialPortDevice::QtSerialPortDevice() {
    QObject::connect(&port_, &QSerialPort::readyRead, [this] {
        if (onReadyRead_) {
            onReadyRead_();
        }
    });
    QObject::connect(&port_, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

QtSerialPortDevice::~QtSerialPortDevice() {
    close();
}

void QtSerialPortDevice::setHandlers(std::function<void()> onReadyRead,
                                     std::function<void()> onGone) {
    onReadyRead_ = std::move(onReadyRead);
    onGone_ = std::move(onGone);
}

PortOpenResult QtSerialPortDevice::open(const QString& devicePath) {
    close();
    // Opened under its real name, so the lock file is the same whichever link leads to it.
    const QString path = QFileInfo(devicePath).canonicalFilePath();
    if (path.isEmpty()) {
        return PortOpenResult::NotFound;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode)) {
        return PortOpenResult::NotFound;
    }
    port_.setPortName(path);
    if (port_.open(QIODevice::ReadWrite)) {
        lossPending_ = false;
        port_.clearError();
        return PortOpenResult::Opened;
    }
    const QSerialPort::SerialPortError error = port_.error();
    port_.clearError();
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::UnsupportedOperationError: // a device, but no terminal
        return PortOpenResult::NotFound;
    case QSerialPort::PermissionError:
        return PortOpenResult::AccessDenied;
    default:
        return PortOpenResult::OtherError;
    }
}

bool QtSerialPortDevice::setLineSettings(std::uint32_t baudRate) {
    if (baudRate == 0 ||
        baudRate > static_cast<std::uint32_t>(std::numeric_limits<qint32>::max())) {
        return false;
    }
    const bool ok =
        port_.setBaudRate(static_cast<qint32>(baudRate)) && port_.setDataBits(QSerialPort::Data8) &&
        port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::TwoStop) &&
        port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.clearError();
    return ok;
}

void QtSerialPortDevice::setDtr(bool on) {
    // Pseudo-terminals have no modem lines; the call then fails and that is fine.
    port_.setDataTerminalReady(on);
    port_.clearError();
}

void QtSerialPortDevice::setRts(bool on) {
    port_.setRequestToSend(on);
    port_.clearError();
}

void QtSerialPortDevice::clearBuffers(bool output) {
    port_.clear(output ? QSerialPort::AllDirections : QSerialPort::Input);
    port_.clearError();
}

bool QtSerialPortDevice::drainOutput(int timeoutMs) {
    if (!port_.isOpen()) {
        return true;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
    }
    // Then let the driver send what it holds.
    int queued = 0;
    while (::ioctl(port_.handle(), TIOCOUTQ, &queued) == 0 && queued > 0 &&
           !deadline.hasExpired()) {
        QThread::usleep(500);
    }
    return port_.bytesToWrite() == 0 && queued <= 0;
}

void QtSerialPortDevice::close() {
    if (port_.isOpen()) {
        port_.close();
    }
    port_.clearError();
    lossPending_ = false;
}

bool QtSerialPortDevice::isOpen() const {
    return port_.isOpen();
}

std::size_t QtSerialPortDevice::write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen()) {
        return 0;
    }
    const qint64 n =
        port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t QtSerialPortDevice::read(std::span<std::uint8_t> buffer) {
    if (!port_.isOpen()) {
        return 0;
    }
    const qint64 n =
        port_.read(reinterpret_cast<char*>(buffer.data()), static_cast<qint64>(buffer.size()));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void QtSerialPortDevice::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        // A vanished device shows as either, and the library keeps repeating it for as long as
        // the port stays open; report it once, after the library has finished with the event.
        if (port_.isOpen() && !lossPending_) {
            lossPending_ = true;
            QMetaObject::invokeMethod(
                &port_,
                [this] {
                    if (lossPending_ && port_.isOpen() && onGone_) {
                        onGone_();
                    }
                },
                Qt::QueuedConnection);
        }
        break;
    case QSerialPort::WriteError:
        // A lost frame is noticed by the protocol's response timer.
        port_.clearError();
        break;
    default:
        break;
    }
}

} // namespace vandrel
