#include "settings/WindowSettings.h"

#include "settings/RegistryStore.h"

#include <QDir>

#include <algorithm>

namespace vandrel {
namespace {

const QString kPathData = QStringLiteral("browse path data");
const QString kPathCode = QStringLiteral("browse path code");
const QString kPathLog = QStringLiteral("browse path log");
const QString kX = QStringLiteral("x");
const QString kY = QStringLiteral("y");
const QString kCx = QStringLiteral("cx");
const QString kCy = QStringLiteral("cy");
const QString kMaximized = QStringLiteral("init maximized");
const QString kSplitterPos = QStringLiteral("splitter pos");
const QString kLogLines = QStringLiteral("log lines");
const QString kReadBack = QStringLiteral("read back after write");
const QString kReview = QStringLiteral("review before write");
const QString kBackup = QStringLiteral("backup before write");
const QString kBackupFolder = QStringLiteral("backup folder");

constexpr quint32 kMinusOne = 0xFFFFFFFF;

qint32 readSigned(const QString& name, quint32 defaultValue) {
    return static_cast<qint32>(
        RegistryStore::readDword(RegistryRoot::LocalMachine, kSettingsKeyPath, name, defaultValue));
}

QString readPath(const QString& name) {
    const QString path = RegistryStore::readString(RegistryRoot::LocalMachine, kSettingsKeyPath,
                                                   name, WindowSettings::kPathBuffer, QString());
    return path.isEmpty() ? QDir::currentPath() : path;
}

void writeDword(const QString& name, quint32 value) {
    RegistryStore::writeDword(RegistryRoot::LocalMachine, kSettingsKeyPath, name, value);
}

void writeString(const QString& name, const QString& text) {
    RegistryStore::writeString(RegistryRoot::LocalMachine, kSettingsKeyPath, name, text);
}

// Width and height as stored: the difference of two edges, wrapped to 32 bits.
quint32 extent(qint32 from, qint32 to) {
    return static_cast<quint32>(to) - static_cast<quint32>(from);
}

} // namespace

WindowSettings::WindowSettings()
    : browsePathData(QDir::currentPath()), browsePathCode(browsePathData),
      browsePathLog(browsePathData) {}

bool WindowSettings::load() {
    browsePathCode = readPath(kPathCode);
    browsePathData = readPath(kPathData);
    browsePathLog = readPath(kPathLog);

    const qint64 x = readSigned(kX, kMinusOne);
    const qint64 y = readSigned(kY, kMinusOne);
    const qint64 cx = readSigned(kCx, kMinusOne);
    const qint64 cy = readSigned(kCy, kMinusOne);
    constexpr qint64 kMax = std::numeric_limits<qint32>::max();
    // A rectangle whose right or bottom edge would not fit is as unusable as a negative one.
    if (x < 0 || y < 0 || cx < 0 || cy < 0 || x + cx > kMax || y + cy > kMax) {
        rect = kDefaultRect;
    } else {
        rect = WindowRect{static_cast<qint32>(x), static_cast<qint32>(y),
                          static_cast<qint32>(x + cx), static_cast<qint32>(y + cy)};
    }

    maximized =
        (RegistryStore::readDword(RegistryRoot::LocalMachine, kSettingsKeyPath, kMaximized, 0) &
         1) != 0;
    splitterPos = readSigned(kSplitterPos, kDefaultSplitterPos);
    logLines = std::clamp(RegistryStore::readDword(RegistryRoot::LocalMachine, kSettingsKeyPath,
                                                   kLogLines, kDefaultLogLines),
                          kMinLogLines, kMaxLogLines);
    readBackAfterWrite =
        RegistryStore::readDword(RegistryRoot::LocalMachine, kSettingsKeyPath, kReadBack, 1) != 0;
    reviewBeforeWrite =
        RegistryStore::readDword(RegistryRoot::LocalMachine, kSettingsKeyPath, kReview, 1) != 0;
    backupBeforeWrite =
        RegistryStore::readDword(RegistryRoot::LocalMachine, kSettingsKeyPath, kBackup, 1) != 0;
    backupFolder = RegistryStore::readString(RegistryRoot::LocalMachine, kSettingsKeyPath,
                                             kBackupFolder, 4096, QString());
    return true;
}

bool WindowSettings::save() const {
    writeString(kPathCode, browsePathCode);
    writeString(kPathData, browsePathData);
    writeString(kPathLog, browsePathLog);
    writeDword(kX, static_cast<quint32>(rect.left));
    writeDword(kY, static_cast<quint32>(rect.top));
    writeDword(kCx, extent(rect.left, rect.right));
    writeDword(kCy, extent(rect.top, rect.bottom));
    writeDword(kMaximized, maximized ? 0xFFFFFFFF : 0);
    writeDword(kSplitterPos, static_cast<quint32>(splitterPos));
    writeDword(kLogLines, logLines);
    writeDword(kReadBack, readBackAfterWrite ? 1 : 0);
    writeDword(kReview, reviewBeforeWrite ? 1 : 0);
    writeDword(kBackup, backupBeforeWrite ? 1 : 0);
    writeString(kBackupFolder, backupFolder);
    return true;
}

} // namespace vandrel
