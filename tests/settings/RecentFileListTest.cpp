#include "settings/RecentFileList.h"
#include "settings/RegistryStore.h"

#include "SettingsFolder.h"

#include <QAction>
#include <QMenu>
#include <vector>

using namespace vandrel;

namespace {

constexpr int kFirst = RecentFileList::kFirstCommandId;
const QString kListKey = QStringLiteral("Software/Quarnweil/Vandrel/Recent Document List/");
constexpr auto kUser = RegistryRoot::CurrentUser;

QString document(int i) {
    return kListKey + QStringLiteral("Document%1").arg(i);
}

QString path(int i) {
    return QStringLiteral("/home/user/cfg/file%1.cfg").arg(i);
}

struct MenuItem {
    QString text;
    int id; // -1: no command id
    bool enabled;
    bool operator==(const MenuItem&) const = default;
};

std::ostream& operator<<(std::ostream& out, const MenuItem& item) {
    return out << '"' << item.text.toStdString() << "\" " << std::hex << item.id << std::dec
               << (item.enabled ? "" : " grey");
}

std::vector<MenuItem> items(const QMenu& menu) {
    std::vector<MenuItem> result;
    for (QAction* action : menu.actions()) {
        bool ok = false;
        const int id = action->data().toInt(&ok);
        result.push_back({action->isSeparator() ? QStringLiteral("--") : action->text(),
                          ok ? id : -1, action->isEnabled()});
    }
    return result;
}

// A File drop-down as the resources build it, with the insertion point for the list.
void buildFileMenu(QMenu& menu) {
    menu.addAction(QStringLiteral("&Open"));
    menu.addAction(QStringLiteral("Recent File"))->setData(kFirst);
    menu.addSeparator();
    menu.addAction(QStringLiteral("E&xit"));
}

} // namespace

TEST(RecentFileListName, DisplayNames) {
    const QString name8 = QStringLiteral("file.cfg");
    const QString folder61 = QStringLiteral("/") + QString(60, 'd'); // 61 characters
    const QString path70 = folder61 + QStringLiteral("/") + name8;   // 70 characters
    const QString backslash70 = QString(path70).replace('/', '\\');
    const QString pair = QString::fromUtf8("\xF0\x9F\x98\x80"); // one surrogate pair
    const QString cutInPair = QString(50, 'a') + pair + QString(9, 'b') + "/" + name8;
    struct Case {
        const char* name;
        QString path;
        int displayLength;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"short", "/etc/a.cfg", 64, "/etc/a.cfg"},
        {"62 characters stay whole", QString(53, 'd') + "/" + name8, 64,
         QString(53, 'd') + "/" + name8},
        {"70 characters, 8 in the name", path70, 64, path70.left(51) + ".../" + name8},
        {"backslashes", backslash70, 64, backslash70.left(51) + "...\\" + name8},
        {"no folder", QString(70, 'n'), 64, QString(60, 'n') + "..."},
        {"long file name", "/d/" + QString(65, 'f'), 64, ".../" + QString(56, 'f') + "..."},
        {"after a drive colon", "C:" + QString(70, 'f'), 64, "...\\" + QString(56, 'f') + "..."},
        {"trailing slash", QString(60, 'd') + "/dir/", 64, QString(55, 'd') + ".../dir/"},
        {"not shortened", path70, RecentFileList::kNoShortening, path70},
        {"cut before a pair", cutInPair, 64, QString(50, 'a') + ".../" + name8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString shown = RecentFileList::displayName(c.path, c.displayLength);
        EXPECT_EQ(shown, c.expected);
        if (c.displayLength == 64) {
            EXPECT_LE(shown.size(), 63);
        }
    }
}

TEST(RecentFileListEntries, AddKeepsNewestSpellingAndCapacity) {
    RecentFileList list;
    for (int i = 1; i <= 7; ++i) {
        EXPECT_TRUE(list.add(path(i)));
    }
    EXPECT_EQ(list.entries(), QStringList({path(2), path(3), path(4), path(5), path(6), path(7)}))
        << "the seventh file drops the oldest";

    EXPECT_TRUE(list.add(path(3).toUpper()));
    EXPECT_EQ(list.entries(),
              QStringList({path(2), path(4), path(5), path(6), path(7), path(3).toUpper()}));

    EXPECT_FALSE(list.add(QString()));
    EXPECT_FALSE(list.add("/" + QString(259, 'x'))) << "260 characters do not fit";
    EXPECT_TRUE(list.add("/" + QString(258, 'x')));
    EXPECT_EQ(list.entries().size(), 6);
}

TEST(RecentFileListEntries, CapacityIsClamped) {
    struct Case {
        int requested;
        int expected;
    };
    for (const Case c :
         {Case{1, 2}, Case{2, 2}, Case{6, 6}, Case{16, 16}, Case{40, 16}, Case{-3, 2}}) {
        RecentFileList list;
        list.setMaxEntries(c.requested);
        EXPECT_EQ(list.maxEntries(), c.expected) << c.requested;
        for (int i = 1; i <= 20; ++i) {
            list.add(path(i));
        }
        EXPECT_EQ(list.entries().size(), c.expected);
        EXPECT_EQ(list.entries().last(), path(20));
    }
    RecentFileList shrinking;
    for (int i = 1; i <= 5; ++i) {
        shrinking.add(path(i));
    }
    shrinking.setMaxEntries(3);
    EXPECT_EQ(shrinking.entries(), QStringList({path(3), path(4), path(5)}));
}

TEST(RecentFileListEntries, CommandIds) {
    RecentFileList list;
    for (int i = 1; i <= 3; ++i) {
        list.add(path(i));
    }
    struct Case {
        int id;
        std::optional<int> index;
        QString path;
    };
    const Case cases[] = {
        {kFirst, 2, path(3)},        {kFirst + 1, 1, path(2)},    {kFirst + 2, 0, path(1)},
        {kFirst + 3, {}, QString()}, {kFirst - 1, {}, QString()}, {0, {}, QString()},
        {0x7FFFFFFF, {}, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(list.indexForCommand(c.id), c.index);
        EXPECT_EQ(list.pathForCommand(c.id), c.path);
    }
    EXPECT_TRUE(list.moveToNewest(0));
    EXPECT_EQ(list.pathForCommand(kFirst), path(1));
    EXPECT_TRUE(list.removeAt(2));
    EXPECT_FALSE(list.removeAt(2));
    EXPECT_EQ(list.entries(), QStringList({path(2), path(3)}));
}

using RecentFileStore = SettingsFolder;

TEST_F(RecentFileStore, WriteThenRead) {
    RecentFileList list;
    list.setMaxEntries(8);
    for (int i = 1; i <= 3; ++i) {
        list.add(path(i));
    }
    ASSERT_TRUE(list.writeToRegistry(kSettingsKeyPath));
    EXPECT_EQ(raw(kUser, kListKey + "DocumentCount").toUInt(), 8u);
    EXPECT_EQ(raw(kUser, document(1)).toString(), path(3)) << "Document1 is the newest";
    EXPECT_EQ(raw(kUser, document(3)).toString(), path(1));
    EXPECT_FALSE(hasRaw(RegistryRoot::LocalMachine, kListKey + "DocumentCount"));

    RecentFileList read;
    ASSERT_TRUE(read.readFromRegistry(kSettingsKeyPath));
    EXPECT_EQ(read.maxEntries(), 8);
    EXPECT_EQ(read.entries(), list.entries());
}

TEST_F(RecentFileStore, ShrinkingListLeavesNoStaleValue) {
    RecentFileList list;
    list.setMaxEntries(16);
    for (int i = 1; i <= 16; ++i) {
        list.add(path(i));
    }
    ASSERT_TRUE(list.writeToRegistry(kSettingsKeyPath));
    ASSERT_TRUE(hasRaw(kUser, document(16)));

    while (list.entries().size() > 3) {
        list.removeAt(0);
    }
    ASSERT_TRUE(list.writeToRegistry(kSettingsKeyPath));
    for (int i = 4; i <= 16; ++i) {
        EXPECT_FALSE(hasRaw(kUser, document(i))) << "Document" << i;
    }
    RecentFileList read;
    ASSERT_TRUE(read.readFromRegistry(kSettingsKeyPath));
    EXPECT_EQ(read.entries(), QStringList({path(14), path(15), path(16)}));
}

TEST_F(RecentFileStore, StoredValues) {
    struct Case {
        const char* name;
        std::optional<QVariant> count;
        int storedDocuments; // Document1 .. DocumentN
        bool ok;
        int expectedMax;
        int expectedEntries;
    };
    const Case cases[] = {
        {"no key", std::nullopt, 0, false, 6, 1},
        {"no count", std::nullopt, 3, false, 6, 1},
        {"count not a number", QStringLiteral("six"), 3, false, 6, 1},
        {"count 1", QStringLiteral("1"), 5, true, 2, 2},
        {"count 40", QStringLiteral("40"), 20, true, 16, 16},
        {"count above entries", QStringLiteral("6"), 2, true, 6, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QSettings(RegistryStore::filePath(kUser), QSettings::IniFormat).clear();
        if (c.count) {
            setRaw(kUser, kListKey + "DocumentCount", *c.count);
        }
        for (int i = 1; i <= c.storedDocuments; ++i) {
            setRaw(kUser, document(i), path(i));
        }
        RecentFileList list;
        list.add(QStringLiteral("/kept.cfg"));
        EXPECT_EQ(list.readFromRegistry(kSettingsKeyPath), c.ok);
        EXPECT_EQ(list.maxEntries(), c.expectedMax);
        ASSERT_EQ(list.entries().size(), c.expectedEntries);
        if (c.ok) {
            EXPECT_EQ(list.pathForCommand(kFirst), path(1)) << "Document1 is the newest";
            // The clamped capacity goes back at the next write.
            ASSERT_TRUE(list.writeToRegistry(kSettingsKeyPath));
            EXPECT_EQ(raw(kUser, kListKey + "DocumentCount").toInt(), c.expectedMax);
        } else {
            EXPECT_EQ(list.entries().first(), "/kept.cfg") << "a failed read changes nothing";
        }
    }
}

TEST_F(RecentFileStore, OverlongAndWrongTypedEntries) {
    setRaw(kUser, kListKey + "DocumentCount", 4);
    setRaw(kUser, document(1), QString(300, 'p'));
    setRaw(kUser, document(2), QStringList{"a", "b"});
    setRaw(kUser, document(3), QString());
    setRaw(kUser, document(4), path(4));
    RecentFileList list;
    ASSERT_TRUE(list.readFromRegistry(kSettingsKeyPath));
    EXPECT_EQ(list.entries(), QStringList({path(4), QString(259, 'p')}));
}

TEST(RecentFileMenu, RebuildKeepsTheRestOfTheMenu) {
    QMenu menu;
    buildFileMenu(menu);
    RecentFileList list;
    list.setMenu(&menu);
    EXPECT_EQ(list.emptyText(), "Recent File");

    const MenuItem open{"&Open", -1, true};
    const MenuItem separator{"--", -1, true};
    const MenuItem exit{"E&xit", -1, true};
    const MenuItem empty{"Recent File", kFirst, false};

    list.rebuildMenu();
    EXPECT_EQ(items(menu), (std::vector<MenuItem>{open, empty, separator, exit}));

    list.add("/home/user/a.cfg");
    list.add("/home/user/b&c.cfg");
    list.add("/home/user/d.cfg");
    EXPECT_EQ(items(menu), (std::vector<MenuItem>{open,
                                                  {"&1 /home/user/d.cfg", kFirst, true},
                                                  {"&2 /home/user/b&&c.cfg", kFirst + 1, true},
                                                  {"&3 /home/user/a.cfg", kFirst + 2, true},
                                                  separator,
                                                  exit}));

    list.removeAt(2);
    list.removeAt(0);
    EXPECT_EQ(items(menu), (std::vector<MenuItem>{
                               open, {"&1 /home/user/b&&c.cfg", kFirst, true}, separator, exit}));

    list.removeAt(0);
    EXPECT_EQ(items(menu), (std::vector<MenuItem>{open, empty, separator, exit}));
}

TEST(RecentFileMenu, ShrinkingCapacityLeavesNoStaleItem) {
    QMenu menu;
    buildFileMenu(menu);
    RecentFileList list;
    list.setMenu(&menu);
    for (int i = 1; i <= 5; ++i) {
        list.add(path(i));
    }
    list.setMaxEntries(2);
    list.rebuildMenu();
    std::vector<int> ids;
    for (const MenuItem& item : items(menu)) {
        if (item.id >= 0) {
            ids.push_back(item.id);
        }
    }
    EXPECT_EQ(ids, (std::vector<int>{kFirst, kFirst + 1}));
    EXPECT_EQ(menu.actions().size(), 5);
}

TEST(RecentFileMenu, MenuWithoutInsertionPoint) {
    QMenu menu;
    menu.addAction(QStringLiteral("&Open"));
    RecentFileList list;
    list.setMenu(&menu);
    EXPECT_EQ(list.emptyText(), "(empty)");
    list.rebuildMenu();
    EXPECT_EQ(items(menu),
              (std::vector<MenuItem>{{"&Open", -1, true}, {"(empty)", kFirst, false}}));
    list.add(path(1));
    EXPECT_EQ(items(menu),
              (std::vector<MenuItem>{{"&Open", -1, true}, {"&1 " + path(1), kFirst, true}}));
}

TEST(RecentFileMenu, DestroyedMenuIsLetGo) {
    RecentFileList list;
    {
        QMenu menu;
        buildFileMenu(menu);
        list.setMenu(&menu);
        list.add(path(1));
    }
    EXPECT_TRUE(list.add(path(2)));
    EXPECT_TRUE(list.rebuildMenu());
}
