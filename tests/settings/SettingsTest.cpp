#include "settings/LinkSettings.h"
#include "settings/RegistryStore.h"
#include "settings/WindowSettings.h"

#include "SettingsFolder.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <optional>
#include <vector>

using namespace vandrel;

namespace {

const QString kKey = QStringLiteral("Software/Quarnweil/Vandrel/");
constexpr auto kMachine = RegistryRoot::LocalMachine;

QString keyOf(const char* name) {
    return kKey + QLatin1String(name);
}

} // namespace

using RegistryStoreTest = SettingsFolder;

TEST_F(RegistryStoreTest, MissingOrWrongValuesGiveTheDefaults) {
    struct Case {
        const char* name;
        std::optional<QVariant> stored;
        quint32 expectedDword;
        QString expectedString; // buffer of 8, default "default-text"
    };
    const QString emoji = QString::fromUtf8("abcdef\xF0\x9F\x98\x80x"); // pair at 6..7
    const std::vector<Case> cases = {
        {"missing", std::nullopt, 7, "default"},
        {"number text", QStringLiteral("42"), 42, "42"},
        {"number", QVariant::fromValue<quint32>(0xFFFFFFFF), 0xFFFFFFFF, "default"},
        {"minus one", QStringLiteral("-1"), 0xFFFFFFFF, "-1"},
        {"below 32 bits", QStringLiteral("-2147483649"), 7, "-214748"},
        {"above 32 bits", QStringLiteral("4294967296"), 7, "4294967"},
        {"not a number", QStringLiteral("COM3"), 7, "COM3"},
        {"a list", QStringList{"1", "2"}, 7, "default"},
        {"bytes", QByteArray("12"), 7, "default"},
        {"long text cut", QStringLiteral("0123456789"), 123456789, "0123456"},
        {"cut never splits a pair", emoji, 7, "abcdef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QStringLiteral("value");
        if (c.stored) {
            setRaw(kMachine, kKey + name, *c.stored);
        } else {
            QSettings(RegistryStore::filePath(kMachine), QSettings::IniFormat).remove(kKey + name);
        }
        EXPECT_EQ(RegistryStore::readDword(kMachine, kSettingsKeyPath, name, 7), c.expectedDword);
        EXPECT_EQ(RegistryStore::readString(kMachine, kSettingsKeyPath, name, 8,
                                            QStringLiteral("default-text")),
                  c.expectedString);
    }
}

TEST_F(RegistryStoreTest, RootsAreSeparateStores) {
    ASSERT_TRUE(RegistryStore::writeDword(kMachine, kSettingsKeyPath, "n", 1));
    ASSERT_TRUE(RegistryStore::writeDword(RegistryRoot::CurrentUser, kSettingsKeyPath, "n", 2));
    EXPECT_NE(RegistryStore::filePath(kMachine),
              RegistryStore::filePath(RegistryRoot::CurrentUser));
    EXPECT_EQ(RegistryStore::readDword(kMachine, kSettingsKeyPath, "n", 0), 1u);
    EXPECT_EQ(RegistryStore::readDword(RegistryRoot::CurrentUser, kSettingsKeyPath, "n", 0), 2u);
}

TEST_F(RegistryStoreTest, UnwritableStoreReportsFailure) {
    // A plain file where the folder should be: nothing can be stored below it.
    const QString blocker = QString::fromStdString(dir_.file("blocker"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    RegistryStore::setFolder(blocker + QStringLiteral("/Quarnweil"));
    EXPECT_FALSE(RegistryStore::writeDword(kMachine, kSettingsKeyPath, "n", 1));
    EXPECT_FALSE(RegistryStore::writeString(kMachine, kSettingsKeyPath, "s", "x"));
    LinkSettings link;
    EXPECT_TRUE(link.save()) << "a failed save is not reported";
}

using LinkSettingsTest = SettingsFolder;

TEST_F(LinkSettingsTest, FreshStoreGivesDefaultsAndFirstSaveCreatesIt) {
    LinkSettings link;
    link.language = 9;
    link.portName = "stale";
    link.baudrate = 1;
    EXPECT_TRUE(link.load());
    EXPECT_EQ(link.language, 1u);
    EXPECT_EQ(link.portName, QString());
    EXPECT_EQ(link.baudrate, 115200u);
    EXPECT_FALSE(QFile::exists(RegistryStore::filePath(kMachine))) << "loading creates nothing";

    link.language = 3;
    link.portName = "/dev/ttyUSB0";
    link.baudrate = 57600;
    EXPECT_TRUE(link.save());
    EXPECT_EQ(raw(kMachine, keyOf("language")).toUInt(), 3u);
    EXPECT_EQ(raw(kMachine, keyOf("virtual com port")).toString(), "/dev/ttyUSB0");
    EXPECT_EQ(raw(kMachine, keyOf("baudrate")).toUInt(), 57600u);

    LinkSettings reloaded;
    reloaded.load();
    EXPECT_EQ(reloaded.language, 3u);
    EXPECT_EQ(reloaded.portName, "/dev/ttyUSB0");
    EXPECT_EQ(reloaded.baudrate, 57600u);
}

TEST_F(LinkSettingsTest, HandWrittenStore) {
    QDir().mkpath(RegistryStore::folder());
    QFile file(RegistryStore::filePath(kMachine));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Software]\n"
               "Quarnweil\\Vandrel\\language=258\n"
               "Quarnweil\\Vandrel\\virtual%20com%20port=/dev/serial/by-id/"
               "usb-0123456789abcdefghijklmnopqrstuvwxyz\n"
               "Quarnweil\\Vandrel\\baudrate=fast\n");
    file.close();

    LinkSettings link;
    link.load();
    EXPECT_EQ(link.language, 2u) << "only the low 8 bits count";
    EXPECT_EQ(link.portName, "/dev/serial/by-id/usb-012345678") << "cut to 31 characters";
    EXPECT_EQ(link.baudrate, 115200u) << "not a number";
}

using WindowSettingsTest = SettingsFolder;

TEST_F(WindowSettingsTest, StoredPlacement) {
    struct Case {
        const char* name;
        std::optional<std::vector<qint64>> xyCxCy;
        WindowRect expected;
    };
    const WindowRect byDefault = WindowSettings::kDefaultRect;
    const std::vector<Case> cases = {
        {"nothing stored", std::nullopt, byDefault},
        {"normal", std::vector<qint64>{100, 50, 800, 600}, {100, 50, 900, 650}},
        {"negative x", std::vector<qint64>{-5, 50, 800, 600}, byDefault},
        {"negative height", std::vector<qint64>{100, 50, 800, -1}, byDefault},
        {"stored unsigned", std::vector<qint64>{100, 4294967295LL, 800, 600}, byDefault},
        {"all zero", std::vector<qint64>{0, 0, 0, 0}, {0, 0, 0, 0}},
        {"right edge overflows", std::vector<qint64>{2147483000, 0, 1000, 10}, byDefault},
    };
    const char* names[] = {"x", "y", "cx", "cy"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 4; ++i) {
            if (c.xyCxCy) {
                setRaw(kMachine, keyOf(names[i]), QString::number((*c.xyCxCy)[i]));
            } else {
                QSettings(RegistryStore::filePath(kMachine), QSettings::IniFormat)
                    .remove(keyOf(names[i]));
            }
        }
        WindowSettings window;
        window.load();
        EXPECT_EQ(window.rect, c.expected);
        EXPECT_EQ(window.isDefaultPlacement(), c.expected == byDefault);
    }
}

TEST_F(WindowSettingsTest, FreshStoreGivesDefaults) {
    WindowSettings window;
    window.load();
    EXPECT_EQ(window.browsePathData, QDir::currentPath());
    EXPECT_EQ(window.browsePathCode, QDir::currentPath());
    EXPECT_EQ(window.browsePathLog, QDir::currentPath());
    EXPECT_TRUE(window.isDefaultPlacement());
    EXPECT_FALSE(window.maximized);
    EXPECT_EQ(window.splitterPos, 240);
    EXPECT_EQ(window.logLines, 100000u);
    EXPECT_TRUE(window.readBackAfterWrite) << "a write is checked unless the user says no";
}

// The write's safety switches: each is on unless the store says 0, and each is stored apart.
TEST_F(WindowSettingsTest, WriteSwitchesAreStoredAndAnyOtherValueMeansOn) {
    const std::pair<const char*, bool WindowSettings::*> switches[] = {
        {"read back after write", &WindowSettings::readBackAfterWrite},
        {"review before write", &WindowSettings::reviewBeforeWrite},
        {"backup before write", &WindowSettings::backupBeforeWrite},
    };
    const std::pair<QVariant, bool> cases[] = {
        {QStringLiteral("0"), false},
        {QStringLiteral("1"), true},
        {QStringLiteral("7"), true},
        {QStringLiteral("no"), true}, // unreadable: the default
    };
    for (const auto& [name, member] : switches) {
        SCOPED_TRACE(name);
        {
            WindowSettings fresh;
            fresh.load();
            EXPECT_TRUE(fresh.*member) << "on until the user says no";
        }
        for (const auto& [stored, expected] : cases) {
            SCOPED_TRACE(stored.toString().toStdString());
            setRaw(kMachine, keyOf(name), stored);
            WindowSettings window;
            window.load();
            EXPECT_EQ(window.*member, expected);
            for (const auto& [other, otherMember] : switches) {
                if (otherMember != member) {
                    EXPECT_TRUE(window.*otherMember) << other << " follows its own value";
                }
            }
        }
        setRaw(kMachine, keyOf(name), QStringLiteral("1"));
        WindowSettings window;
        window.load();
        window.*member = false;
        ASSERT_TRUE(window.save());
        EXPECT_EQ(raw(kMachine, keyOf(name)).toUInt(), 0u);
        WindowSettings again;
        again.load();
        EXPECT_FALSE(again.*member);
        again.*member = true;
        again.save();
    }
}

TEST_F(WindowSettingsTest, TheBackupFolderIsStoredAsGiven) {
    WindowSettings window;
    window.load();
    EXPECT_TRUE(window.backupFolder.isEmpty()) << "empty: the user's data folder";
    window.backupFolder = QStringLiteral("/srv/field kit/backups");
    ASSERT_TRUE(window.save());
    WindowSettings again;
    again.load();
    EXPECT_EQ(again.backupFolder, QStringLiteral("/srv/field kit/backups"));
}

TEST_F(WindowSettingsTest, LogLinesAreKeptWithinTheirRangeAndStored) {
    struct Case {
        const char* name;
        QVariant stored;
        quint32 expected;
    };
    const Case cases[] = {
        {"stored", QStringLiteral("25000"), 25000},
        {"too few", QStringLiteral("3"), 100},
        {"none", QStringLiteral("0"), 100},
        {"too many", QStringLiteral("4000000000"), 1000000},
        {"not a number", QStringLiteral("many"), 100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setRaw(kMachine, keyOf("log lines"), c.stored);
        WindowSettings window;
        window.load();
        EXPECT_EQ(window.logLines, c.expected);
    }
    WindowSettings window;
    window.logLines = 5000;
    ASSERT_TRUE(window.save());
    EXPECT_EQ(raw(kMachine, keyOf("log lines")).toUInt(), 5000u);
}

TEST_F(WindowSettingsTest, SaveThenLoad) {
    struct Case {
        const char* name;
        WindowRect rect;
        bool maximized;
        qint32 splitterPos;
        QString path;
    };
    const Case cases[] = {
        {"maximised", {10, 20, 810, 620}, true, 300, "/home/user/configs, old"},
        {"normal", {0, 0, 640, 480}, false, -1, "/srv/a b/c"},
        {"default placement survives", WindowSettings::kDefaultRect, false, 0, "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowSettings window;
        window.rect = c.rect;
        window.maximized = c.maximized;
        window.splitterPos = c.splitterPos;
        window.browsePathData = c.path + "/data";
        window.browsePathCode = c.path + "/code";
        window.browsePathLog = c.path + "/log";
        EXPECT_TRUE(window.save());
        const quint32 maximized =
            RegistryStore::readDword(kMachine, kSettingsKeyPath, "init maximized", 7);
        EXPECT_EQ(maximized, c.maximized ? 0xFFFFFFFFu : 0u) << "all bits set, not 1";

        WindowSettings reloaded;
        reloaded.load();
        EXPECT_EQ(reloaded.rect, c.rect);
        EXPECT_EQ(reloaded.maximized, c.maximized);
        EXPECT_EQ(reloaded.splitterPos, c.splitterPos);
        EXPECT_EQ(reloaded.browsePathData, c.path + "/data");
        EXPECT_EQ(reloaded.browsePathCode, c.path + "/code");
        EXPECT_EQ(reloaded.browsePathLog, c.path + "/log");
    }
    EXPECT_EQ(raw(kMachine, keyOf("cx")).toUInt(), 0x80000000u);
}

TEST_F(WindowSettingsTest, BadStoredValues) {
    setRaw(kMachine, keyOf("browse path data"), QString());
    setRaw(kMachine, keyOf("browse path code"), QString(300, QLatin1Char('p')));
    setRaw(kMachine, keyOf("browse path log"), QStringList{"a", "b"});
    setRaw(kMachine, keyOf("init maximized"), QStringLiteral("4294967294"));
    setRaw(kMachine, keyOf("splitter pos"), QStringLiteral("wide"));

    WindowSettings window;
    window.load();
    EXPECT_EQ(window.browsePathData, QDir::currentPath()) << "empty means the working folder";
    EXPECT_EQ(window.browsePathCode, QString(259, QLatin1Char('p')));
    EXPECT_EQ(window.browsePathLog, QDir::currentPath());
    EXPECT_FALSE(window.maximized) << "only bit 0 counts";
    EXPECT_EQ(window.splitterPos, 240);
}
