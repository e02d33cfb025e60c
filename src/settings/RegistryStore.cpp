#include "settings/RegistryStore.h"

#include <QDir>
#include <QStandardPaths>
#include <QVariant>
#include <limits>

namespace vandrel {
namespace {

QString& folderOverride() {
    static QString folder;
    return folder;
}

std::optional<quint32> toDword(const QVariant& value) {
    bool ok = false;
    qlonglong number = 0;
    switch (value.typeId()) {
    case QMetaType::QString:
        number = value.toString().trimmed().toLongLong(&ok, 10);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        number = value.toLongLong(&ok);
        ok = ok && !(value.typeId() == QMetaType::ULongLong &&
                     value.toULongLong() > std::numeric_limits<quint32>::max());
        break;
    default:
        break;
    }
    if (!ok || number < std::numeric_limits<qint32>::min() ||
        number > std::numeric_limits<quint32>::max()) {
        return std::nullopt;
    }
    return static_cast<quint32>(number);
}

} // namespace

RegistryKey::RegistryKey(RegistryRoot root, const QString& keyPath)
    : settings_(RegistryStore::filePath(root), QSettings::IniFormat),
      group_(QString(keyPath).replace(QLatin1Char('\\'), QLatin1Char('/'))) {}

QString RegistryKey::key(const QString& name) const {
    return group_.isEmpty() ? name : group_ + QLatin1Char('/') + name;
}

bool RegistryKey::exists() {
    settings_.beginGroup(group_);
    const bool any = !settings_.childKeys().isEmpty();
    settings_.endGroup();
    return any;
}

std::optional<quint32> RegistryKey::dword(const QString& name) {
    return toDword(settings_.value(key(name)));
}

std::optional<QString> RegistryKey::string(const QString& name, int bufferSize) {
    const QVariant value = settings_.value(key(name));
    if (value.typeId() != QMetaType::QString || bufferSize < 1) {
        return std::nullopt;
    }
    return RegistryStore::cutText(value.toString(), bufferSize - 1);
}

void RegistryKey::setDword(const QString& name, quint32 value) {
    settings_.setValue(key(name), value);
}

void RegistryKey::setString(const QString& name, const QString& text) {
    settings_.setValue(key(name), text);
}

void RegistryKey::remove(const QString& name) {
    settings_.remove(key(name));
}

bool RegistryKey::commit() {
    QDir().mkpath(RegistryStore::folder());
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}

namespace RegistryStore {

QString folder() {
    if (!folderOverride().isEmpty()) {
        return folderOverride();
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quarnweil");
}

void setFolder(const QString& folder) {
    folderOverride() = folder;
}

QString filePath(RegistryRoot root) {
    return folder() + (root == RegistryRoot::LocalMachine ? QStringLiteral("/Vandrel.conf")
                                                          : QStringLiteral("/Vandrel-user.conf"));
}

quint32 readDword(RegistryRoot root, const QString& keyPath, const QString& name,
                  quint32 defaultValue) {
    RegistryKey key(root, keyPath);
    return key.dword(name).value_or(defaultValue);
}

QString readString(RegistryRoot root, const QString& keyPath, const QString& name, int bufferSize,
                   const QString& defaultText) {
    if (bufferSize < 1) {
        return {};
    }
    RegistryKey key(root, keyPath);
    return key.string(name, bufferSize).value_or(cutText(defaultText, bufferSize - 1));
}

bool writeDword(RegistryRoot root, const QString& keyPath, const QString& name, quint32 value) {
    RegistryKey key(root, keyPath);
    key.setDword(name, value);
    return key.commit();
}

bool writeString(RegistryRoot root, const QString& keyPath, const QString& name,
                 const QString& text) {
    RegistryKey key(root, keyPath);
    key.setString(name, text);
    return key.commit();
}

QString cutText(const QString& text, qsizetype count) {
    if (count <= 0) {
        return {};
    }
    if (text.size() <= count) {
        return text;
    }
    if (text.at(count - 1).isHighSurrogate()) {
        --count;
    }
    return text.left(count);
}

} // namespace RegistryStore
} // namespace vandrel
