#include "settings/LinkSettings.h"

#include "settings/RegistryStore.h"

namespace vandrel {
namespace {

const QString kLanguage = QStringLiteral("language");
const QString kPort = QStringLiteral("virtual com port");
const QString kBaudrate = QStringLiteral("baudrate");

} // namespace

bool LinkSettings::load() {
    using namespace RegistryStore;
    const auto root = RegistryRoot::LocalMachine;
    language = readDword(root, kSettingsKeyPath, kLanguage, kDefaultLanguage) & 0xFF;
    portName = readString(root, kSettingsKeyPath, kPort, kPortNameBuffer, QString());
    baudrate = readDword(root, kSettingsKeyPath, kBaudrate, kDefaultBaudrate);
    return true;
}

bool LinkSettings::save() const {
    using namespace RegistryStore;
    const auto root = RegistryRoot::LocalMachine;
    writeDword(root, kSettingsKeyPath, kLanguage, language);
    writeString(root, kSettingsKeyPath, kPort, portName);
    writeDword(root, kSettingsKeyPath, kBaudrate, baudrate);
    return true;
}

} // namespace vandrel
