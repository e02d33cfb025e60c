// The main window itself: translated menus, tabs, logo, status bar, start-up and shutdown.
#include "AppRig.h"

#include "config/DeviceInfo.h"
#include "language/TextIds.h"
#include "settings/LinkSettings.h"
#include "shell/app/CommandIds.h"
#include "shell/app/FindDialog.h"
#include "shell/app/HeaderBar.h"
#include "shell/app/ProgramRun.h"
#include "shell/app/StatusPanes.h"
#include "shell/ui/SystemMonitorPane.h"
#include "shell/ui/TraceLog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QPlainTextEdit>
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

TEST_F(WindowFlows, StartWithoutAPortAsksForOneThenReadsTheConverter) {
    const QString device = QString::fromStdString(converter->devicePath());
    prompter.dialogSteps.push_back(press("ctl1")); // the start-up question: the converter
    prompter.dialogSteps.push_back(press("ctl1", [&](QDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("ctl1001"))->setEditText(device);
    }));
    MainFrame& frame = openWindow(true);
    ASSERT_TRUE(waitFor([&] { return !frame.configView()->isEmpty() && !frame.busy(); }));
    EXPECT_EQ(prompter.dialogs.at(1), QStringLiteral("vandrel::PortDialog"));
    EXPECT_EQ(frame.windowTitle(), text(text::UntitledDocument) + " - " + text(text::AppTitle));
    EXPECT_EQ(frame.configView()->currentPage(), 0);
    EXPECT_TRUE(core->channel.isOpen());
    EXPECT_EQ(frame.statusPanes()->text(1), text(text::StatusLinkReady));
    LinkSettings stored;
    stored.load();
    EXPECT_EQ(stored.portName, device);
    // The system information follows the configuration.
    EXPECT_TRUE(waitFor([&] {
        return VersionTextString(frame.configView()->deviceInfo().firmwareVersion) ==
               withModel([](auto& m) { return m.firmwareVersion(); });
    }));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(WindowFlows, StartWithoutAPortAndCancelInThePortDialogStaysIdle) {
    prompter.dialogSteps.push_back(press("ctl1"));
    prompter.dialogSteps.push_back(press("ctl2"));
    MainFrame& frame = openWindow(true);
    ASSERT_TRUE(waitFor([&] { return prompter.dialogs.size() == 2; }));
    QTest::qWait(50);
    EXPECT_EQ(frame.statusPanes()->text(1), text(text::StatusLinkClosed));
    EXPECT_TRUE(frame.configView()->isEmpty());
    EXPECT_FALSE(core->channel.isOpen());
    EXPECT_FALSE(frame.busy());
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(WindowFlows, TheLanguageSwitchTranslatesEverythingAtOnce) {
    MainFrame& frame = openWindow();
    frame.command(cmd::FileNew);
    frame.command(cmd::MonitorTab);
    prompter.dialogSteps.push_back(press("ctl1", [](QDialog& dialog) {
        auto* list = dialog.findChild<QComboBox*>(QStringLiteral("ctl1001"));
        list->setCurrentIndex(list->findText(QStringLiteral("Deutsch")));
    }));
    frame.command(cmd::Language);

    EXPECT_EQ(core->linkSettings.language, 2u);
    LinkSettings stored;
    stored.load();
    EXPECT_EQ(stored.language, 2u);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Konverterkonfiguration - ") + text(1));
    EXPECT_EQ(frame.header()->menuBar()->actions().at(0)->text(), QStringLiteral("&Datei"));
    EXPECT_EQ(frame.menuAction(cmd::FileNew)->text(), QStringLiteral("&Neu\tStrg+N"));
    EXPECT_EQ(frame.tabs()->tabText(0), QStringLiteral("Konfiguration"));
    EXPECT_EQ(frame.tabs()->tabText(1), text(text::MonitorTab));
    EXPECT_EQ(frame.statusPanes()->text(1), QStringLiteral("Konverter verbunden"));
    QString tip;
    ASSERT_TRUE(core->language.Tooltip(cmd::FileNew, tip));
    EXPECT_EQ(frame.toolAction(cmd::FileNew)->toolTip(), tip);
    EXPECT_NE(tip, QStringLiteral("New configuration"));
    EXPECT_TRUE(frame.menuAction(cmd::MonitorTab)->isChecked());
    EXPECT_EQ(frame.monitorPane()->findChild<QPushButton*>(QStringLiteral("ctl1020"))->text(),
              text(text::MonitorSend));
    // The recent list and its placeholder come back in the new language.
    EXPECT_FALSE(frame.menuAction(cmd::FileRecentFirst)->text().isEmpty());
    screenshot(&frame, QStringLiteral("main-german"));
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

TEST_F(WindowFlows, FindInTheLogAndSaveIt) {
    MainFrame& frame = openWindow();
    frame.command(cmd::MonitorTab);
    frame.command(cmd::NextTab);
    TraceLog& log = frame.monitorPane()->traceLog();
    log.addLine("alpha line", kTraceTextColour);
    log.addLine("Beta line", kTraceTextColour);

    frame.command(cmd::EditFind);
    FindDialog* find = frame.findDialog();
    ASSERT_NE(find, nullptr);
    find->edit()->setText(QStringLiteral("beta"));
    emit find->findNext();
    EXPECT_EQ(log.window()->textCursor().selectedText(), QStringLiteral("Beta"));
    screenshot(find, QStringLiteral("dialog-find"));
    frame.updateCommandStates();
    EXPECT_TRUE(frame.commandStates().copy);

    // With the configuration in front the search box goes away on its next event.
    frame.command(cmd::ConfigTabToFront);
    emit find->findNext();
    EXPECT_TRUE(waitFor([&] { return frame.findDialog() == nullptr; }));

    frame.command(cmd::NextTab);
    const QString path = QString::fromStdString(files.file("monitor.txt"));
    prompter.saveAnswers.push_back(FileChoice{path, 2});
    frame.command(cmd::SaveLog);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("alpha line\r\nBeta line\r\n"));
    EXPECT_EQ(prompter.saveRequests.at(0).title, text(text::SaveLogTitle));
    EXPECT_EQ(frame.logFilterIndex(), 2);
    EXPECT_EQ(core->windowSettings.browsePathLog,
              QString::fromStdString(files.path().string()) + QLatin1Char('/'));
}

TEST_F(WindowFlows, F1OpensTheHelpOfTheCurrentLanguage) {
    QList<QUrl> opened;
    core->language.setHelpOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    MainFrame& frame = openWindow();
    QTest::keyClick(&frame, Qt::Key_F1);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith(QStringLiteral("vandrel_en.htm")));
}
