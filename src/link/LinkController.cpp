#include "link/LinkController.h"

#include "link/PortList.h"
#include "link/SerialChannel.h"

namespace vandrel {

LinkController::LinkController(SerialChannel& channel, LinkHost& host)
    : channel_(channel), host_(host) {}

bool LinkController::startUp(const QString& portName, std::uint32_t baudRate) {
    if (portName.isEmpty()) {
        return false;
    }
    return channel_.start(portName, baudRate).started();
}

bool LinkController::choosePortCommand(const QString& currentName, std::uint32_t baudRate) {
    const std::optional<QString> chosen = host_.choosePort(currentName);
    if (!chosen || chosen->isEmpty() || samePort(*chosen, currentName)) {
        return false;
    }
    host_.storePortName(*chosen);
    startReporting(*chosen, baudRate);
    return true;
}

bool LinkController::ensureLink(const QString& portName, std::uint32_t baudRate) {
    if (channel_.isOpen()) {
        return true;
    }
    QString name = portName;
    if (name.isEmpty()) {
        const std::optional<QString> chosen = host_.choosePort(QString());
        if (!chosen || chosen->isEmpty()) {
            return false;
        }
        name = *chosen;
        host_.storePortName(name);
    }
    return startReporting(name, baudRate);
}

bool LinkController::startReporting(const QString& portName, std::uint32_t baudRate) {
    const ChannelStartResult result = channel_.start(portName, baudRate);
    if (!result.started()) {
        host_.reportStartFailure(portName, result);
    }
    return result.started();
}

} // namespace vandrel
