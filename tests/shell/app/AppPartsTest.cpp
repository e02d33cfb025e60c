// The main window's rules that do not need a converter: command states, status texts, the menu
// descriptions, the timers and the command line.
#include "language/TextIds.h"
#include "link/QtTimerService.h"
#include "shell/app/Artwork.h"
#include "shell/app/CommandActions.h"
#include "shell/app/CommandIds.h"
#include "shell/app/CommandStates.h"
#include "shell/app/IdleUpdater.h"
#include "shell/app/MainFrame.h"
#include "shell/app/MenuDescription.h"
#include "shell/app/ProgramRun.h"
#include "shell/app/StatusPanes.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace vandrel;

namespace {

struct StateCase {
    const char* name;
    CommandInputs inputs;
    CommandStates expected;
};

const StateCase kStateCases[] = {
    {"EmptyViewConfigFront",
     {true, 0, false, false},
     {false, false, false, false, false, false, false}},
    {"OpenViewConfigFront",
     {false, 0, false, false},
     {true, true, true, false, false, false, false}},
    {"MonitorFrontNoSelection",
     {false, 1, false, true},
     {true, true, true, false, true, true, true}},
    {"MonitorFrontSelection", {true, 1, true, true}, {false, false, false, true, true, true, true}},
    // A selection only counts while the log is in front.
    {"SelectionBehindConfig",
     {true, 0, true, true},
     {false, false, false, false, false, false, true}},
    {"OtherTabFront", {false, -1, true, false}, {true, true, true, false, true, true, false}},
};

class CommandStateRules : public ::testing::TestWithParam<StateCase> {};

TEST_P(CommandStateRules, FollowTheDocumentAndTheFrontTab) {
    EXPECT_EQ(computeCommandStates(GetParam().inputs), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CommandStateRules, ::testing::ValuesIn(kStateCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StatusTexts, LinkAndMonitorPanes) {
    struct Case {
        StatusInputs inputs;
        int link;
        int monitor;
    };
    const Case cases[] = {
        {{false, false, false}, text::StatusLinkClosed, text::StatusMonitorOff},
        {{false, true, true}, text::StatusLinkClosed, text::StatusMonitorOn},
        {{true, false, false}, text::StatusLinkReady, text::StatusMonitorOff},
        {{true, true, true}, text::StatusLinkNoAnswer, text::StatusMonitorOn},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(linkStatusTextId(c.inputs), c.link);
        EXPECT_EQ(monitorStatusTextId(c.inputs), c.monitor);
    }
}

TEST(MenuDescriptions, EveryCommandOnceWithItsLabelAndIdAsData) {
    QWidget owner;
    CommandActions actions(&owner);
    QMenuBar* bar = buildMenuBar(mainMenuDescription(), actions, &owner);
    QStringList tops;
    std::multiset<int> commands;
    for (QAction* top : bar->actions()) {
        tops << top->text();
        for (QAction* action : top->menu()->actions()) {
            if (!action->isSeparator()) {
                commands.insert(action->data().toInt());
                EXPECT_FALSE(action->text().isEmpty());
            }
        }
    }
    EXPECT_EQ(tops, (QStringList{"1", "2", "3", "4"}));
    const int expected[] = {cmd::FileNew,           cmd::FileOpen,          cmd::FileSave,
                            cmd::FileClose,         cmd::FileCompare,       cmd::RestoreBackup,
                            cmd::FileRecentFirst,   cmd::AppExit,           cmd::Port,
                            cmd::AccessPassword,    cmd::Language,          cmd::ReadBackAfterWrite,
                            cmd::ReviewBeforeWrite, cmd::BackupBeforeWrite, cmd::DeviceReset,
                            cmd::FlashLoad,         cmd::FlashDownload,     cmd::MonitorTab,
                            cmd::HelpIndex,         cmd::AppAbout};
    EXPECT_EQ(commands, std::multiset<int>(std::begin(expected), std::end(expected)));
}

TEST(Timers, FireOnceKilledNeverAndIdsAreNotReused) {
    QtTimerService timers;
    std::vector<TimerId> fired;
    const TimerId first = timers.startTimer(5, [&](TimerId id) { fired.push_back(id); });
    const TimerId killed = timers.startTimer(5, [&](TimerId id) { fired.push_back(id); });
    timers.killTimer(killed);
    // A callback may start the next timer.
    const TimerId chain = timers.startTimer(1, [&](TimerId id) {
        fired.push_back(id);
        timers.startTimer(1, [&](TimerId next) { fired.push_back(next); });
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired.size() == 3; }, 2000));
    QTest::qWait(30);
    ASSERT_EQ(fired.size(), 3u);
    const std::set<TimerId> ids(fired.begin(), fired.end());
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_TRUE(ids.count(first) == 1 && ids.count(chain) == 1);
    EXPECT_EQ(std::count(fired.begin(), fired.end(), killed), 0);
    EXPECT_EQ(timers.activeCount(), 0u);
    timers.killTimer(first); // expired: ignored
}

TEST(IdleUpdate, AFloodOfEventsGetsAFewPassesAndTheLastEventItsOwn) {
    QObject context;
    int passes = 0;
    constexpr std::chrono::milliseconds gap{100};
    IdleUpdater idle([&] { ++passes; }, &context, gap);
    // A posted call every millisecond for over half a second, as frames from the line come.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 600) {
        QMetaObject::invokeMethod(
            &context, [] {}, Qt::QueuedConnection);
        QTest::qWait(1);
    }
    EXPECT_LE(passes, clock.elapsed() / gap.count() + 1);
    EXPECT_GE(passes, 2);
    // An event after the last pass still gets one.
    const int before = passes;
    QMetaObject::invokeMethod(
        &context, [] {}, Qt::QueuedConnection);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(idle.armed());
    EXPECT_TRUE(QTest::qWaitFor([&] { return passes > before; }, 2000));
}

TEST(CommandLine, DemoHelpVersionAndOneFileOtherwiseAnError) {
    struct Case {
        QStringList arguments;
        bool valid;
        bool demo;
        bool help;
        bool version;
        QString file = {};
    };
    const Case cases[] = {
        {{}, true, false, false, false},
        {{"--demo"}, true, true, false, false},
        {{"--demo", "--demo"}, true, true, false, false},
        {{"--help"}, true, false, true, false},
        {{"-h"}, true, false, true, false},
        {{"--version"}, true, false, false, true},
        {{"-v", "--demo"}, true, true, false, true},
        {{"--demon"}, false, false, false, false},
        {{"site1.DAT"}, true, false, false, false, "site1.DAT"},
        {{"--demo", "/tmp/site1.DAT"}, true, true, false, false, "/tmp/site1.DAT"},
        {{"/tmp/site1.DAT", "--demo"}, true, true, false, false, "/tmp/site1.DAT"},
        {{"--", "-odd.dat"}, true, false, false, false, "-odd.dat"},
        {{"a.dat", "b.dat"}, false, false, false, false}, // one document at a time
        {{""}, false, false, false, false},
    };
    for (const Case& c : cases) {
        QString error;
        const auto options = parseRunOptions(c.arguments, error);
        ASSERT_EQ(options.has_value(), c.valid) << qPrintable(c.arguments.join(' '));
        if (options) {
            EXPECT_EQ(options->demo, c.demo);
            EXPECT_EQ(options->help, c.help);
            EXPECT_EQ(options->version, c.version);
            EXPECT_EQ(options->file, c.file);
        } else {
            EXPECT_FALSE(error.isEmpty());
        }
    }
    EXPECT_TRUE(runUsage().contains(QStringLiteral("--demo")));
    EXPECT_TRUE(runUsage().contains(QStringLiteral("[FILE]")));
    EXPECT_EQ(runVersion(), QStringLiteral("vandrel " VANDREL_VERSION "\n"));
}

} // namespace

namespace {

TEST(DesktopEntry, StartsTheProgramWithItsShippedIconAndOpensConfigurationFiles) {
    QFile file(QStringLiteral(VANDREL_SOURCE_DIR "/resources/app/vandrel.desktop"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("[Desktop Entry]"));
    QMap<QString, QString> keys;
    for (const QString& line : lines.mid(1)) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && !line.startsWith('#')) {
            EXPECT_FALSE(keys.contains(line.left(eq))) << qPrintable(line);
            keys.insert(line.left(eq), line.mid(eq + 1));
        }
    }
    EXPECT_EQ(keys.value("Type"), QStringLiteral("Application"));
    // A file manager passes the one file the user opened.
    EXPECT_EQ(keys.value("Exec"), QStringLiteral("vandrel %f"));
    EXPECT_EQ(keys.value("MimeType"), QStringLiteral("application/x-vandrel-config;"));
    EXPECT_FALSE(keys.value("Name").isEmpty());
    EXPECT_TRUE(keys.value("Categories").endsWith(';'));
    QFile icon(QStringLiteral(VANDREL_SOURCE_DIR "/resources/app/") + keys.value("Icon") +
               QStringLiteral(".svg"));
    ASSERT_TRUE(icon.open(QIODevice::ReadOnly));
    EXPECT_TRUE(icon.readAll().contains("<svg"));
}

TEST(Artwork, ToolbarImagesHaveTheirOwnDisabledLookAndFollowThePixelRatio) {
    for (const int id :
         {cmd::FileNew, cmd::FileOpen, cmd::FileSave, cmd::FileCompare, cmd::HelpIndex}) {
        const QIcon icon = artwork::toolbarIcon(id, 2.0);
        ASSERT_FALSE(icon.isNull());
        const QSize size(artwork::kToolbarImageSize, artwork::kToolbarImageSize);
        const QImage normal = icon.pixmap(size, 2.0, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(size, 2.0, QIcon::Disabled).toImage();
        EXPECT_EQ(normal.size(), size * 2);
        EXPECT_NE(normal, disabled);
    }
    EXPECT_TRUE(artwork::toolbarIcon(cmd::AppAbout, 1.0).isNull());
    EXPECT_EQ(artwork::logo(1.0).size(), QSize(artwork::kLogoWidth, artwork::kLogoHeight));
}

} // namespace

namespace {

TEST(FirstRun, TheWindowTakesTwoThirdsOfTheScreenCentred) {
    EXPECT_EQ(firstRunGeometry(QRect(0, 0, 1920, 1080)), QRect(320, 180, 1280, 720));
    EXPECT_EQ(firstRunGeometry(QRect(1920, 30, 1200, 900)), QRect(2120, 180, 800, 600));
    // A small screen still gets the window's smallest size.
    const QRect small = firstRunGeometry(QRect(0, 0, 480, 400));
    EXPECT_EQ(small.size(), QSize(MainFrame::kMinWidth, MainFrame::kMinHeight));
}

} // namespace
