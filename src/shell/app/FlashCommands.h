#pragma once

#include <QObject>
#include <QPointer>

#include <optional>
#include <string>

class QWidget;

namespace vandrel {

class DeviceGateway;
class LanguageManager;
class Prompter;
class WindowSettings;

// The user's side of the FLASH transfers: the file dialogs, the firmware header check and the
// question before loading. The transfers themselves go through the device gateway.
class FlashCommands : public QObject {
    Q_OBJECT
public:
    FlashCommands(const LanguageManager& language, WindowSettings& windowSettings,
                  Prompter& prompter, DeviceGateway& gateway, QWidget* window);

    // The user's commands: their dialogs run inside the command.
    void onFlashLoad();
    void onFlashDownload();
    // The converter's loader waits for firmware: the file for it is chosen, checked and
    // confirmed, or the loading is declined. Nothing here waits: each step answers the last.
    void chooseFirmwareForConverter();

    int filterIndex() const { return filterIndex_; }

private:
    // The firmware file dialog; none on Cancel.
    std::optional<std::string> chooseFirmware();
    // Header check and the question; false when the file is refused or the user says no.
    bool confirmFirmware(const std::string& path);
    void checkFirmwareForConverter(const std::string& path);

    const LanguageManager& language_;
    WindowSettings& windowSettings_;
    Prompter& prompter_;
    DeviceGateway& gateway_;
    QWidget* window_;
    int filterIndex_ = 1;
};

} // namespace vandrel
