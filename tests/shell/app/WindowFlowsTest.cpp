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
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include <filesystem>
#include <fstream>

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
    EXPECT_EQ(shownTitle(frame), text(text::AppTitle));
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
    ASSERT_TRUE(waitFor([&] { return !frame.document().isEmpty() && !frame.busy(); }));
    EXPECT_EQ(prompter.dialogs.at(1), QStringLiteral("vandrel::PortDialog"));
    EXPECT_EQ(shownTitle(frame), text(text::UntitledDocument) + "* - " + text(text::AppTitle));
    EXPECT_EQ(frame.configView()->currentPage(), 0);
    EXPECT_TRUE(core->channel.isOpen());
    EXPECT_EQ(frame.statusPanes()->text(1), text(text::StatusLinkReady));
    LinkSettings stored;
    stored.load();
    EXPECT_EQ(stored.portName, device);
    // The system information follows the configuration.
    EXPECT_TRUE(waitFor([&] {
        return VersionTextString(frame.document().deviceInfo().firmwareVersion) ==
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
    EXPECT_TRUE(frame.document().isEmpty());
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
    EXPECT_EQ(shownTitle(frame), QStringLiteral("Konverterkonfiguration - ") + text(1));
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

TEST_F(WindowFlows, ALanguageThatDoesNotLoadLeavesTheOneInUse) {
    // A second language whose file has another version.
    TempDir folder;
    std::filesystem::copy_file(VANDREL_SOURCE_DIR "/lang/vandrel_en.lng",
                               folder.file("vandrel_en.lng"));
    std::ofstream(folder.file("old.lng")) << "[general]\nversion=1.0.0.0\n[strings]\n1=Old\n";
    std::ofstream(folder.file("LANG.INI"))
        << "[general]\nnum_languages=2\n[language names]\n1=English\n2=Old\n"
           "[language files]\n1=vandrel_en.lng\n2=old.lng\n";
    core->language.setLanguageFolders({QString::fromStdString(folder.path().string())});
    ASSERT_TRUE(core->language.Load(1));
    core->linkSettings.save();
    MainFrame& frame = openWindow();
    // A changed document: the configuration read from the converter.
    ASSERT_TRUE(frame.gateway().readConfiguration());
    ASSERT_TRUE(waitFor([&] { return frame.document().isModified() && !frame.busy(); }));
    const QString title = shownTitle(frame);
    prompter.dialogSteps.push_back(press("ctl1", [](QDialog& dialog) {
        auto* list = dialog.findChild<QComboBox*>(QStringLiteral("ctl1001"));
        list->setCurrentIndex(list->findText(QStringLiteral("Old")));
    }));
    frame.command(cmd::Language);

    EXPECT_TRUE(shownText(QStringLiteral("Incompatible version of the language file!")));
    EXPECT_FALSE(core->language.failed());
    EXPECT_EQ(shownTitle(frame), title);
    EXPECT_EQ(frame.menuAction(cmd::FileNew)->text(), QStringLiteral("&New\tCtrl+N"));
    EXPECT_EQ(core->linkSettings.language, 1u);
    LinkSettings stored;
    stored.load();
    EXPECT_EQ(stored.language, 1u) << "the next start would end at the language check";
    // The save question still has its texts and buttons, so a changed document can be closed.
    prompter.answers.push_back(ResultNo);
    EXPECT_TRUE(frame.close());
    EXPECT_TRUE(shownText(format(text::SaveChangesFormat, {text(text::UntitledDocument)})));
}

TEST_F(WindowFlows, EachCommandIsOneActionForItsMenuToolbarLogMenuAndKeys) {
    MainFrame& frame = openWindow();
    for (const int id : {cmd::FileNew, cmd::FileOpen, cmd::FileSave, cmd::HelpIndex}) {
        EXPECT_EQ(frame.menuAction(id), frame.toolAction(id)) << std::hex << id;
    }
    EXPECT_EQ(frame.menuAction(cmd::FileNew)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    // Ctrl+N reaches the command through its action.
    int triggered = 0;
    QObject::connect(frame.menuAction(cmd::FileNew), &QAction::triggered, [&] { ++triggered; });
    QTest::keyClick(&frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(triggered, 1);
    EXPECT_FALSE(frame.document().isEmpty());

    // The log's menu holds the same actions, with the log menu's texts.
    frame.command(cmd::MonitorTab);
    frame.command(cmd::NextTab);
    QPlainTextEdit* log = frame.monitorPane()->traceLog().window();
    emit frame.monitorPane()->logContextMenuRequested(log->mapToGlobal(QPoint(5, 5)));
    auto* menu = frame.findChild<QMenu*>(QStringLiteral("logMenu"));
    ASSERT_NE(menu, nullptr);
    QList<QAction*> entries;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) {
            entries << a;
        }
    }
    ASSERT_EQ(entries.size(), 6);
    EXPECT_EQ(entries.at(0)->text(), QStringLiteral("&Copy\tCtrl+C"));
    EXPECT_FALSE(entries.at(0)->isEnabled()) << "nothing selected";
    EXPECT_EQ(entries.at(0)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(entries.at(2)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(entries.at(3)->shortcut(), QKeySequence(Qt::Key_F3));
    menu->close();
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
    LanguageManager fresh;
    fresh.setLanguageFolders({QStringLiteral(VANDREL_SOURCE_DIR "/lang")});
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
    status = runProgram(core->language, prompter, RunOptions{});
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

TEST_F(WindowFlows, SaveLogProposesALogBesideTheConfigurationAndSaysWhenItFails) {
    MainFrame& frame = openWindow();
    frame.command(cmd::MonitorTab);
    frame.command(cmd::NextTab);
    frame.monitorPane()->traceLog().addLine("monitor line", kTraceTextColour);
    const QString folder = QString::fromStdString(files.path().string()) + QLatin1Char('/');
    const std::pair<const char*, const char*> cases[] = {
        {"site.dat", "site.txt"},
        {"notes.txt", "notes.log.txt"}, // never the configuration itself
        {"archive.2024.dat", "archive.2024.txt"},
    };
    for (const auto& [configuration, proposed] : cases) {
        SCOPED_TRACE(configuration);
        frame.command(cmd::FileNew);
        prompter.dialogSteps.push_back(press("ctl1018")); // to a file
        prompter.saveAnswers.push_back(FileChoice{folder + configuration, 1});
        frame.command(cmd::FileSave);
        ASSERT_EQ(frame.document().filePath(), folder + configuration);
        prompter.saveRequests.clear();
        prompter.saveAnswers.push_back(FileChoice{}); // cancelled
        frame.command(cmd::SaveLog);
        ASSERT_EQ(prompter.saveRequests.size(), 1u);
        EXPECT_EQ(prompter.saveRequests[0].fileName, folder + proposed);
        frame.command(cmd::FileClose);
    }

    prompter.messages.clear();
    prompter.saveAnswers.push_back(FileChoice{folder + "no/such/folder/log.txt", 1});
    frame.command(cmd::SaveLog);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, text(text::SaveLogFailed));
    EXPECT_EQ(prompter.messages[0].title, text(text::CaptionError));
    EXPECT_EQ(prompter.messages[0].style.icon, MessageIcon::Error);

    prompter.saveAnswers.push_back(FileChoice{folder + "log.txt", 1});
    frame.command(cmd::SaveLog);
    EXPECT_EQ(prompter.messages.size(), 1u) << "a save that worked says nothing";
    EXPECT_TRUE(QFileInfo::exists(folder + "log.txt"));
}

TEST_F(WindowFlows, TheLogKeepsItsStoredLineCountAndSavesTheWholeSession) {
    core->windowSettings.logLines = 100;
    MainFrame& frame = openWindow();
    frame.command(cmd::MonitorTab);
    frame.command(cmd::NextTab);
    TraceLog& log = frame.monitorPane()->traceLog();
    EXPECT_EQ(log.lineLimit(), 100);
    const QString folder = QString::fromStdString(files.path().string()) + QLatin1Char('/');
    log.spill().setFolder(folder + "cache");
    QByteArray expected;
    for (int i = 0; i < 1000; ++i) {
        const std::string line = "SYS " + std::to_string(i);
        log.addLine(line, kTraceTextColour);
        expected += QByteArray::fromStdString(line + "\r\n");
        if (i % 37 == 0) {
            QTest::qWait(1);
        }
    }
    EXPECT_TRUE(waitFor([&] { return log.window()->toPlainText().endsWith("SYS 999\n"); }));
    EXPECT_LE(log.window()->document()->blockCount(), 100);
    const QString spillFile = log.spill().filePath();
    EXPECT_TRUE(spillFile.startsWith(folder + "cache/")) << spillFile.toStdString();

    prompter.saveAnswers.push_back(FileChoice{folder + "whole.txt", 1});
    frame.command(cmd::SaveLog);
    QFile saved(folder + "whole.txt");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), expected);

    // Clearing the log removes the lines kept outside the window; so does closing.
    frame.command(cmd::EditClear);
    EXPECT_FALSE(QFileInfo::exists(spillFile));
    EXPECT_TRUE(log.window()->toPlainText().isEmpty());
    for (int i = 0; i < 200; ++i) {
        log.addLine("again", kTraceTextColour);
    }
    log.flush();
    const QString second = log.spill().filePath();
    ASSERT_TRUE(QFileInfo::exists(second));
    window.reset();
    EXPECT_FALSE(QFileInfo::exists(second));
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
