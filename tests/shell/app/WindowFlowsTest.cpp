// The main window itself: translated menus, tabs, logo, status bar, start-up and shutdown.
#include "AppRig.h"

#include "language/TextIds.h"
#include "settings/LinkSettings.h"
#include "shell/app/CommandIds.h"
#include "shell/app/HeaderBar.h"
#include "shell/app/ProgramRun.h"
#include "shell/app/StatusPanes.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

using namespace vandrel;

class WindowFlows : public AppRig {};

TEST_F(WindowFlows, MenusToolbarAndTabsCarryTheLanguageTexts) {
    MainFrame& frame = openWindow();
    QStringList tops;
    for (QAction* top : frame.header()->menuBar()->actions()) {
        tops << top->text();
    }
    EXPECT_EQ(tops, (QStringList{"&File", "&Settings", "&Converter", "&Help"}));
    EXPECT_EQ(frame.menuAction(cmd::FileNew)->text(), QStringLiteral("&New\tCtrl+N"));
    // An empty recent list shows its greyed placeholder.
    EXPECT_EQ(frame.menuAction(cmd::FileRecentFirst)->text(), QStringLiteral("Recent files"));
    EXPECT_FALSE(frame.menuAction(cmd::FileRecentFirst)->isEnabled());
    EXPECT_EQ(frame.toolAction(cmd::FileOpen)->toolTip(), QStringLiteral("Open configuration"));
    EXPECT_EQ(frame.tabs()->count(), 1);
    EXPECT_EQ(frame.tabs()->tabText(0), text(text::ConfigTab));
    EXPECT_EQ(frame.windowTitle(), text(text::AppTitle));
    EXPECT_EQ(frame.statusPanes()->text(1), text(text::StatusLinkReady));
    EXPECT_EQ(frame.statusPanes()->text(2), text(text::StatusMonitorOff));
    EXPECT_TRUE(frame.statusPanes()->text(0).isEmpty());
    screenshot(&frame, QStringLiteral("main-empty"));
}

TEST_F(WindowFlows, TheMonitorTabComesAndGoesWithItsCheckMark) {
    MainFrame& frame = openWindow();
    QAction* item = frame.menuAction(cmd::MonitorTab);
    for (int round = 0; round < 2; ++round) {
        frame.command(cmd::MonitorTab);
        EXPECT_EQ(frame.tabs()->count(), 2);
        EXPECT_EQ(frame.tabs()->tabText(1), text(text::MonitorTab));
        EXPECT_TRUE(item->isChecked());
        frame.command(cmd::NextTab);
        EXPECT_EQ(frame.activeView(), 1);
        EXPECT_TRUE(frame.menuAction(cmd::EditFind) == nullptr); // only in the log's menu
        EXPECT_TRUE(frame.commandStates().find);
        frame.command(cmd::NextTab); // wraps
        EXPECT_EQ(frame.activeView(), 0);
        EXPECT_FALSE(frame.commandStates().find);
        frame.command(cmd::MonitorTab);
        EXPECT_EQ(frame.tabs()->count(), 1);
        EXPECT_FALSE(item->isChecked());
        frame.command(cmd::NextTab); // one tab: nothing happens
        EXPECT_EQ(frame.activeView(), 0);
    }
}

TEST_F(WindowFlows, TheLogoNeedsABandHigherThan46Pixels) {
    MainFrame& frame = openWindow();
    HeaderBar* header = frame.header();
    ASSERT_GT(header->barHeight(), HeaderBar::kMaxHeightWithoutLogo);
    EXPECT_TRUE(header->logo()->isVisible());
    EXPECT_EQ(header->logo()->width(), HeaderBar::kLogoAreaWidth);
    header->toolBar()->hide();
    header->updateLogo();
    EXPECT_EQ(header->logo()->isVisibleTo(header),
              header->barHeight() > HeaderBar::kMaxHeightWithoutLogo);
}

TEST_F(WindowFlows, WithoutAPortTheStatusSaysNotConnectedAndOpenIsAskedFirst) {
    MainFrame& frame = openWindow(true);
    EXPECT_EQ(frame.statusPanes()->text(1), text(text::StatusLinkClosed));
    // The posted start-up question: the source choice, here cancelled.
    ASSERT_TRUE(waitFor([&] { return !prompter.dialogs.empty(); }));
    EXPECT_TRUE(frame.configView()->isEmpty());
    EXPECT_FALSE(core->channel.isOpen());
}

TEST_F(WindowFlows, AMissingLanguageEndsTheRunBeforeAnyWindowAndSavesNothing) {
    LinkSettings stored;
    stored.language = 9;
    stored.save();
    const QString windowStore = RegistryStore::filePath(RegistryRoot::LocalMachine);
    const QByteArray before = [&] {
        QFile f(windowStore);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    AppCore fresh;
    fresh.language.setLanguageFolders({QStringLiteral(VANDREL_SOURCE_DIR "/lang")});
    prompter.messages.clear();
    EXPECT_EQ(runProgram(fresh, prompter, RunOptions{}), 0);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, QStringLiteral("Cannot find language setting!"));
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<MainFrame*>(w), nullptr);
    }
    QFile after(windowStore);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

TEST_F(WindowFlows, ANormalCloseSavesThePlacementAfterTheLoopAndAnswersOne) {
    core->linkSettings.save();
    AppCore& shared = *core;
    int status = -1;
    // Close the window as soon as the loop runs it.
    QTimer::singleShot(200, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* frame = qobject_cast<MainFrame*>(w); frame && frame->isVisible()) {
                frame->setGeometry(120, 80, 700, 500);
                frame->close();
            }
        }
    });
    status = runProgram(shared, prompter, RunOptions{});
    EXPECT_EQ(status, 1);
    WindowSettings stored;
    stored.load();
    EXPECT_EQ(stored.rect, (WindowRect{120, 80, 820, 580}));
    EXPECT_FALSE(stored.maximized);
}
