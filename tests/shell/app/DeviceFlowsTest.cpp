// Device operations from the main window against the stand-in converter: reset with its restart
// events, FLASH loading and downloading, monitoring, and the bounded wait for a restart.
#include "AppRig.h"
#include "FirmwareFiles.h"
#include "ManualTimers.h"

#include "config/ConfigFile.h"
#include "config/ConverterConfig.h"
#include "config/FileHelpers.h"
#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/StatusPanes.h"
#include "shell/app/WaitDialog.h"
#include "shell/ui/SystemMonitorPane.h"
#include "sim/model/FlashStore.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <fstream>

using namespace vandrel;

class DeviceFlows : public AppRig {
protected:
    // Answers the password question with `answer`; runs any other dialog for real.
    static ScriptedPrompter::DialogStep passwordOr(ScriptedPrompter::DialogStep answer) {
        return [answer](QDialog& dialog) {
            if (dialog.metaObject()->className() == QByteArrayView("vandrel::PasswordDialog")) {
                return answer(dialog);
            }
            return dialog.exec();
        };
    }
    int count(const char* dialogClass) const {
        return static_cast<int>(std::count(prompter.dialogs.begin(), prompter.dialogs.end(),
                                           QString::fromLatin1(dialogClass)));
    }
};

TEST_F(DeviceFlows, ResetShowsTheWaitDialogUntilTheConverterIsBack) {
    MainFrame& frame = openWindow();
    QString note;
    watch.onShown = [&](QDialog& dialog) {
        if (auto* wait = qobject_cast<WaitDialog*>(&dialog)) {
            note = wait->findChild<QLabel*>(QStringLiteral("note"))->text();
            screenshot(wait, QStringLiteral("dialog-wait"));
        }
    };
    frame.command(cmd::DeviceReset);
    ASSERT_TRUE(waitFor([&] {
        return watch.count("vandrel::WaitDialog") == 1 && !frame.busy() &&
               !frame.gateway().waitDialog();
    }));
    EXPECT_EQ(note, text(text::WaitRestarting));
    EXPECT_EQ(withModel([](auto& m) { return m.framesReceived(sim::RequestKind::Reset); }), 1u);
    EXPECT_TRUE(waitFor([&] { return withModel([](auto& m) { return m.running(); }); }));
    EXPECT_EQ(frame.statusPanes()->text(1), text(text::StatusLinkReady));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(DeviceFlows, AccessDeniedAsksForThePasswordAndTheResetGoesThrough) {
    withModel([](auto& m) { m.setPassword("secret"); });
    MainFrame& frame = openWindow();
    // Whether the reset's report or the refusal comes first, the question is asked with no wait
    // dialog in front of it, and the wait dialog comes back with the repeated reset.
    bool waitInFront = true;
    prompter.dialogSteps.push_back([&](QDialog& dialog) {
        // A report that came during the question may have made the dialog; it stays hidden.
        waitInFront =
            frame.gateway().waitDialog() != nullptr && frame.gateway().waitDialog()->isVisible();
        return press("ctl1", typing("ctl1000", QStringLiteral("secret")))(dialog);
    });
    frame.command(cmd::DeviceReset);
    ASSERT_TRUE(waitFor([&] {
        return prompter.dialogs.size() == 2 && watch.count("vandrel::WaitDialog") >= 1 &&
               !frame.busy() && !frame.gateway().waitDialog() &&
               withModel([](auto& m) { return m.running(); });
    }));
    EXPECT_FALSE(waitInFront);
    EXPECT_EQ(prompter.dialogs,
              (std::vector<QString>{"vandrel::SourceChoiceDialog", "vandrel::PasswordDialog"}));
    EXPECT_EQ(core->session.accessPassword(), "secret");
    EXPECT_EQ(withModel([](auto& m) { return m.framesReceived(sim::RequestKind::Reset); }), 2u);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(DeviceFlows, ACancelledPasswordQuestionSaysWhyAndLeavesTheConverterAlone) {
    withModel([](auto& m) { m.setPassword("secret"); });
    MainFrame& frame = openWindow();
    prompter.dialogSteps.push_back(press("ctl2"));
    frame.command(cmd::DeviceReset);
    ASSERT_TRUE(waitShown(text::PasswordMissing));
    EXPECT_EQ(prompter.messages.back().title, text(text::CaptionPassword));
    ASSERT_TRUE(waitFor([&] { return !frame.busy(); }));
    QTest::qWait(50);
    EXPECT_EQ(prompter.dialogs,
              (std::vector<QString>{"vandrel::SourceChoiceDialog", "vandrel::PasswordDialog"}));
    EXPECT_FALSE(frame.gateway().waitDialog());
    EXPECT_FALSE(frame.busy());
    EXPECT_TRUE(core->session.accessPassword().empty());
    EXPECT_EQ(withModel([](auto& m) { return m.framesReceived(sim::RequestKind::Reset); }), 1u);
}

TEST_F(DeviceFlows, WritingToTheConverterEndsWithItsRestart) {
    // A byte no page shows, so that only the record can carry it to the converter.
    ConverterConfig stored;
    ResetToDefaults(&stored);
    stored.bytes[ConfigOffset::reserved] = 0x5A;
    const std::string path = files.file("site.dat");
    ASSERT_EQ(WriteConfigFile(path, stored, DeviceInfo{}), kConfigWritten);
    prompter.dialogSteps.push_back(press("ctl1018")); // start-up: from a file
    prompter.openAnswers.push_back(FileChoice{QString::fromStdString(path), 1});
    // The write itself is under test here, with the frames it sends.
    core->windowSettings.reviewBeforeWrite = false;
    core->windowSettings.backupBeforeWrite = false;
    MainFrame& frame = openWindow();
    ASSERT_EQ(frame.document().filePath().toStdString(), path);
    core->session.setAccessPassword("new");
    prompter.dialogSteps.push_back(press("ctl1")); // save: to the converter
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] {
        return watch.count("vandrel::WaitDialog") == 1 && !frame.gateway().waitDialog() &&
               !frame.busy() && withModel([](auto& m) { return m.running(); });
    }));
    EXPECT_EQ(prompter.dialogs.size(), 2u);
    auto line = withModel([](auto& m) { return m.configImage(); });
    std::swap(line[0], line[1]);
    const ConverterConfig& record = frame.document().record();
    EXPECT_TRUE(std::equal(line.begin(), line.end(), record.bytes.begin()));
    EXPECT_EQ(line[ConfigOffset::reserved], 0x5A);
    // Writing to the converter is no save: the document is as it was.
    EXPECT_EQ(frame.document().source(), ConfigDocument::Source::File);
    EXPECT_FALSE(frame.document().isModified());
    // The session's password travels in the record.
    EXPECT_EQ(withModel([](auto& m) { return m.password(); }), "new");
    EXPECT_EQ(withModel([](auto& m) { return m.framesReceived(sim::RequestKind::Reset); }), 1u);
    // Read back once the converter is back, and said so in one message over the window.
    EXPECT_EQ(withModel([](auto& m) { return m.framesReceived(sim::RequestKind::ConfigRead); }),
              5u);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, text(text::WriteVerified));
    EXPECT_EQ(prompter.shownParents.back(), &frame);
}

TEST_F(DeviceFlows, FlashLoadingRunsToTheEndAndReportsSuccess) {
    MainFrame& frame = openWindow();
    const std::string firmware = writeFirmware(files, 8 * 1024, "3.01.0001");
    prompter.openAnswers.push_back(FileChoice{QString::fromStdString(firmware), 1});
    prompter.answers.push_back(ResultYes); // load this version?
    int lastPosition = -1;
    watch.onShown = [&](QDialog& dialog) {
        if (auto* progress = qobject_cast<FlashProgressDialog*>(&dialog)) {
            QObject::connect(progress->findChild<QProgressBar*>(QStringLiteral("progress")),
                             &QProgressBar::valueChanged, [&](int value) { lastPosition = value; });
            QTimer::singleShot(20, progress,
                               [this, progress] { screenshot(progress, "dialog-flash-progress"); });
        }
    };
    frame.command(cmd::FlashLoad);

    ASSERT_TRUE(waitShown(text::FlashLoadDone));
    EXPECT_EQ(prompter.openRequests.at(0).title, text(text::FirmwareOpenTitle));
    EXPECT_EQ(prompter.messages.at(0).text,
              format(text::FlashLoadConfirmFormat, {FormatArg("3.01.0001")}));
    EXPECT_EQ(lastPosition, FlashProgressDialog::kMaximum);
    EXPECT_EQ(core->windowSettings.browsePathCode,
              QString::fromStdString(files.path().string()) + QLatin1Char('/'));
    // The converter restarts with the new firmware.
    EXPECT_TRUE(waitFor([&] {
        return withModel([](auto& m) { return m.running() && m.firmwareVersion() == "3.01.0001"; });
    }));
    EXPECT_FALSE(shown(text::FlashLoadFailed));
    EXPECT_TRUE(waitFor([&] { return !frame.busy(); }));
}

TEST_F(DeviceFlows, FlashLoadingCancelledAsksAndEndsWithTheFailureMessage) {
    MainFrame& frame = openWindow();
    const std::string firmware = writeFirmware(files, 256 * 1024, "3.01.0002");
    prompter.openAnswers.push_back(FileChoice{QString::fromStdString(firmware), 1});
    prompter.answers.push_back(ResultYes); // load this version?
    prompter.answers.push_back(ResultNo);  // first cancel: go on
    prompter.answers.push_back(ResultYes); // second cancel: stop
    int result = -1;
    QTimer poll;
    int clicks = 0;
    watch.onShown = [&](QDialog& dialog) {
        auto* progress = qobject_cast<FlashProgressDialog*>(&dialog);
        if (progress == nullptr || poll.isActive()) {
            return;
        }
        QObject::connect(progress, &QDialog::finished, [&](int r) { result = r; });
        QObject::connect(&poll, &QTimer::timeout, progress, [&, progress] {
            if (progress->position() >= 2 + 3 * clicks && clicks < 2) {
                ++clicks;
                progress->cancelButton()->click();
            }
        });
        poll.start(5);
    };
    frame.command(cmd::FlashLoad);

    ASSERT_TRUE(waitShown(text::FlashLoadFailed));
    EXPECT_EQ(result, 2);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(shown(text::FlashLoadCancelQuestion));
    EXPECT_FALSE(shown(text::FlashLoadDone));
    EXPECT_TRUE(waitFor([&] { return !withModel([](auto& m) { return m.flashLoading(); }); }));
    EXPECT_FALSE(frame.busy());
}

TEST_F(DeviceFlows, FlashDownloadingWritesTheConvertersImage) {
    MainFrame& frame = openWindow();
    const std::string image = files.file("image.bin");
    prompter.saveAnswers.push_back(FileChoice{QString::fromStdString(image), 2});
    frame.command(cmd::FlashDownload);

    ASSERT_TRUE(waitShown(text::FlashDownloadDone));
    EXPECT_EQ(watch.count("vandrel::FlashProgressDialog"), 1);
    EXPECT_EQ(prompter.saveRequests.at(0).defaultSuffix, QStringLiteral("BIN"));
    EXPECT_EQ(readAll(image), withModel([](auto& m) { return m.flashImage(); }));
    EXPECT_EQ(frame.flash().filterIndex(), 2);
    EXPECT_FALSE(frame.busy());
}

TEST_F(DeviceFlows, MonitoringShowsMarkersSendsTheMaskAndFollowsInTheStatusBar) {
    MainFrame& frame = openWindow();
    frame.command(cmd::MonitorTab);
    ASSERT_EQ(frame.activeView(), 0);
    frame.command(cmd::NextTab);
    ASSERT_EQ(frame.activeView(), 1);
    SystemMonitorPane* pane = frame.monitorPane();
    pane->findChild<QCheckBox*>(QStringLiteral("ctl1010"))->click();
    pane->findChild<QCheckBox*>(QStringLiteral("ctl1011"))->click();
    pane->findChild<QPushButton*>(QStringLiteral("ctl1018"))->click();

    ASSERT_TRUE(
        waitFor([&] { return withModel([](auto& m) { return m.monitorMask(); }) == 0x11; }));
    const QPlainTextEdit* log = pane->findChild<QPlainTextEdit*>(QStringLiteral("ctl1021"));
    EXPECT_TRUE(waitFor([&] {
        return log->toPlainText().contains(QStringLiteral("*** SYSTEM MONITORING STARTED ***"));
    }));
    EXPECT_TRUE(
        waitFor([&] { return frame.statusPanes()->text(2) == text(text::StatusMonitorOn); }));
    screenshot(&frame, QStringLiteral("main-monitoring"));

    prompter.answers.push_back(ResultNo); // do not save the log
    ASSERT_TRUE(waitFor([&] { return !frame.busy(); }));
    pane->findChild<QPushButton*>(QStringLiteral("ctl1019"))->click();
    ASSERT_TRUE(waitFor([&] { return !pane->monitoringOn(); }));
    EXPECT_TRUE(waitFor([&] {
        return log->toPlainText().contains(QStringLiteral("*** SYSTEM MONITORING STOPPED ***"));
    }));
    EXPECT_TRUE(shown(text::SaveLogQuestion));
    EXPECT_TRUE(
        waitFor([&] { return frame.statusPanes()->text(2) == text(text::StatusMonitorOff); }));
    EXPECT_FALSE(withModel([](auto& m) { return m.monitoring(); }));
}

TEST_F(DeviceFlows, ClosingWhileMonitoringSwitchesTheConvertersMonitoringOff) {
    MainFrame& frame = openWindow();
    frame.command(cmd::MonitorTab);
    SystemMonitorPane* pane = frame.monitorPane();
    pane->findChild<QPushButton*>(QStringLiteral("ctl1018"))->click();
    ASSERT_TRUE(waitFor([&] { return withModel([](auto& m) { return m.monitoring(); }); }));
    ASSERT_TRUE(waitFor([&] { return pane->monitoringOn() && !frame.busy(); }));

    // The off request goes out before the channel stops, and closing asks nothing about the log.
    const auto asked = prompter.messages.size();
    frame.close();
    EXPECT_TRUE(waitFor([&] { return !withModel([](auto& m) { return m.monitoring(); }); }));
    EXPECT_FALSE(shown(text::SaveLogQuestion));
    EXPECT_EQ(prompter.messages.size(), asked);
}

class SilentRestart : public AppRig {
protected:
    void adjustModel(sim::ModelSettings& model) override {
        model.loaderDelay = std::chrono::hours(1); // accepts the reset, never comes back
    }
};

TEST_F(SilentRestart, TheWaitForARestartEndsWithAClearMessage) {
    ManualTimerService clock;
    core->timers = &clock;
    MainFrame& frame = openWindow();
    bool bounded = false;
    // Once the converter has accepted the reset, only the bound of the wait is left to run.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!bounded && frame.gateway().waitDialog() && core->session.retryCount() == kRetryLimit &&
            clock.running() == 1) {
            bounded = true;
            clock.advance(kRestartWaitMs);
        }
    });
    poll.start(5);
    frame.command(cmd::DeviceReset);
    ASSERT_TRUE(waitShown(text::RestartTimedOut));
    EXPECT_TRUE(bounded);
    EXPECT_TRUE(waitFor([&] { return !frame.gateway().waitDialog() && !frame.busy(); }));
    EXPECT_EQ(frame.statusPanes()->text(1), text(text::StatusLinkNoAnswer));
    EXPECT_FALSE(shown(text::NoAnswer));
}
