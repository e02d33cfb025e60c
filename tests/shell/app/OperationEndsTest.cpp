// However a device operation ends, the window is usable again; while it runs, the window takes
// no commands, no close and no drops; a password question in the middle of a FLASH transfer
// steps the progress dialog aside and brings it back.
#include "AppRig.h"
#include "FirmwareFiles.h"
#include "ManualTimers.h"

#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/HeaderBar.h"
#include "shell/app/WaitDialog.h"

#include <QAction>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

using namespace vandrel;

namespace {

const int kCommands[] = {cmd::FileNew,        cmd::FileOpen,   cmd::AppExit,     cmd::Port,
                         cmd::AccessPassword, cmd::Language,   cmd::DeviceReset, cmd::FlashLoad,
                         cmd::FlashDownload,  cmd::MonitorTab, cmd::HelpIndex,   cmd::AppAbout};

// Whether menus, toolbar, tabs and keys take commands, and no operation dialog is left.
::testing::AssertionResult windowUsable(MainFrame& frame) {
    if (frame.busy()) {
        return ::testing::AssertionFailure() << "still busy";
    }
    if (!frame.header()->isEnabled() || !frame.tabs()->isEnabled()) {
        return ::testing::AssertionFailure() << "menus, toolbar or tabs disabled";
    }
    for (const int id : kCommands) {
        if (!frame.menuAction(id)->isEnabled()) {
            return ::testing::AssertionFailure() << "command " << std::hex << id << " disabled";
        }
    }
    if (frame.gateway().waitDialog() || frame.gateway().progressDialog()) {
        return ::testing::AssertionFailure() << "an operation dialog is left";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult windowLocked(MainFrame& frame) {
    if (!frame.busy() || frame.header()->isEnabled() || frame.tabs()->isEnabled()) {
        return ::testing::AssertionFailure() << "window not locked";
    }
    for (const int id : kCommands) {
        if (frame.menuAction(id)->isEnabled()) {
            return ::testing::AssertionFailure() << "command " << std::hex << id << " enabled";
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

// One way an operation ends: what the converter does, what the user answers, the command that
// starts it, and the message that tells how it ended (0 for none).
struct EndCase {
    const char* name;
    std::function<void(sim::ConverterModel&)> converter;
    std::function<void(ScriptedPrompter&, const TempDir&)> script;
    int command; // 0: the converter starts it
    int message;
    // Acts on an operation dialog as it appears.
    std::function<void(QDialog&)> onShown = {};
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.name;
}

namespace {

ScriptedPrompter::DialogStep pressButton(const char* name) {
    return [name](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
        return dialog.result();
    };
}

void refuseAlways(sim::ConverterModel& m, sim::RequestKind kind) {
    sim::FaultSettings faults;
    faults.refusals.push_back(sim::Refusal{kind, 0x01, 0});
    m.setFaults(faults);
}

// Every answer leaves the converter this much later, so an operation is caught while it runs.
void answerAfter(sim::ConverterModel& m, std::chrono::milliseconds delay) {
    sim::FaultSettings faults;
    faults.line.answerDelay = delay;
    m.setFaults(faults);
}

void readFromConverter(ScriptedPrompter& p, const TempDir&) {
    p.dialogSteps.push_back(pressButton("ctl1"));
}

void loadFirmware(ScriptedPrompter& p, const TempDir& files) {
    p.openAnswers.push_back(
        FileChoice{QString::fromStdString(writeFirmware(files, 4096, "3.00.0001")), 1});
    p.answers.push_back(ResultYes);
}

// Presses Cancel in the FLASH progress dialog once it is on screen.
void cancelTransfer(QDialog& dialog) {
    if (auto* progress = qobject_cast<FlashProgressDialog*>(&dialog)) {
        QTimer::singleShot(0, progress, [progress] { progress->cancelButton()->click(); });
    }
}

const EndCase kEnds[] = {
    {"ReadSucceeds", {}, readFromConverter, cmd::FileOpen, 0},
    {"ReadRefused", [](auto& m) { refuseAlways(m, sim::RequestKind::ConfigRead); },
     readFromConverter, cmd::FileOpen, text::DeviceRefusedFormat},
    {"ReadPasswordCancelled", [](auto& m) { m.setPassword("secret"); },
     [](ScriptedPrompter& p, const TempDir& f) {
         readFromConverter(p, f);
         p.dialogSteps.push_back(pressButton("ctl2"));
     },
     cmd::FileOpen, text::PasswordMissing},
    {"ReadGivenUp",
     [](auto& m) {
         sim::FaultSettings faults;
         faults.line.dropInEvery = 1;
         m.setFaults(faults);
     },
     readFromConverter, cmd::FileOpen, text::NoAnswer},
    {"ResetSucceeds", {}, {}, cmd::DeviceReset, 0},
    {"ResetRefused",
     [](auto& m) { refuseAlways(m, sim::RequestKind::Reset); },
     {},
     cmd::DeviceReset,
     text::DeviceRefusedFormat},
    {"LoadingSucceeds", {}, loadFirmware, cmd::FlashLoad, text::FlashLoadDone},
    {"LoadingRefused", [](auto& m) { refuseAlways(m, sim::RequestKind::FlashChunk); }, loadFirmware,
     cmd::FlashLoad, text::FlashLoadFailed},
    {"DownloadRefused", [](auto& m) { refuseAlways(m, sim::RequestKind::FlashRead); },
     [](ScriptedPrompter& p, const TempDir& f) {
         p.saveAnswers.push_back(FileChoice{QString::fromStdString(f.file("image.bin")), 1});
     },
     cmd::FlashDownload, text::FlashDownloadFailed},
    {"LoadingCancelled",
     {},
     [](ScriptedPrompter& p, const TempDir& f) {
         loadFirmware(p, f);
         p.answers.push_back(ResultYes); // stop loading?
     },
     cmd::FlashLoad,
     text::FlashLoadFailed,
     cancelTransfer},
    {"DownloadCancelled", [](auto& m) { m.setFlashImage(std::vector<std::uint8_t>(64 * 1024, 7)); },
     [](ScriptedPrompter& p, const TempDir& f) {
         p.saveAnswers.push_back(FileChoice{QString::fromStdString(f.file("image.bin")), 1});
         p.answers.push_back(ResultYes); // stop downloading?
     },
     cmd::FlashDownload, 0, cancelTransfer},
    // The converter's loader asks for firmware and the user has none for it.
    {"ConverterAskedForFirmwareAndWasDeclined",
     [](auto& m) {
         m.setFirmwareMissing(true);
         m.restart();
     },
     {},
     0,
     text::FlashLoadFailed},
    {"DownloadSucceeds",
     {},
     [](ScriptedPrompter& p, const TempDir& f) {
         p.saveAnswers.push_back(FileChoice{QString::fromStdString(f.file("image.bin")), 1});
     },
     cmd::FlashDownload,
     text::FlashDownloadDone},
};

} // namespace

class OperationEnds : public AppRig, public ::testing::WithParamInterface<EndCase> {};

TEST_P(OperationEnds, LeaveTheWindowUsable) {
    const EndCase& end = GetParam();
    MainFrame& frame = openWindow();
    if (end.script) {
        end.script(prompter, files);
    }
    if (end.converter) {
        withModel([&](auto& m) { end.converter(m); });
    }
    watch.onShown = end.onShown;
    // The operation locked the window at some point, however short.
    bool locked = false;
    QObject::connect(frame.menuAction(cmd::DeviceReset), &QAction::enabledChanged,
                     [&](bool enabled) { locked = locked || !enabled; });
    if (end.command != 0) {
        frame.command(end.command);
    }
    ASSERT_TRUE(waitFor([&] { return locked && windowUsable(frame); }))
        << windowUsable(frame).message();
    if (end.message != 0) {
        EXPECT_TRUE(waitFor([&] {
            return std::any_of(prompter.messages.begin(), prompter.messages.end(),
                               [&](const MessageRequest& m) {
                                   return m.text.startsWith(text(end.message).left(12));
                               });
        })) << text(end.message).toStdString();
    }
    // Restart events may follow the end; the window stays usable through them.
    QTest::qWait(300);
    EXPECT_TRUE(waitFor([&] { return bool(windowUsable(frame)); }))
        << windowUsable(frame).message();
}

INSTANTIATE_TEST_SUITE_P(Table, OperationEnds, ::testing::ValuesIn(kEnds),
                         [](const auto& info) { return std::string(info.param.name); });

class BusyWindow : public AppRig {};

TEST_F(BusyWindow, RefusesCloseAndDropsUntilTheReadHasEnded) {
    MainFrame& frame = openWindow();
    withModel([](auto& m) { answerAfter(m, std::chrono::milliseconds(150)); });
    // A configuration file to drop onto the busy window.
    const QString dropped = QString::fromStdString(files.file("dropped.dat"));
    frame.command(cmd::FileNew);
    prompter.saveAnswers.push_back(FileChoice{dropped, 1});
    frame.command(cmd::SaveToFile);
    frame.command(cmd::FileClose);

    prompter.dialogSteps.push_back(pressButton("ctl1"));
    frame.command(cmd::FileOpen);
    ASSERT_TRUE(waitFor([&] { return frame.busy(); }));
    EXPECT_TRUE(windowLocked(frame));
    const std::size_t asked = prompter.messages.size();

    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dropped)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.windowHandle(), &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.windowHandle(), &drop);
    // Keys are commands too: none of them acts while busy.
    QTest::keyClick(&frame, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);

    ASSERT_TRUE(waitFor([&] { return !frame.busy() && !frame.document().isEmpty(); }));
    EXPECT_TRUE(frame.document().filePath().isEmpty()) << "the drop was taken";
    EXPECT_EQ(shownTitle(frame), text(text::UntitledDocument) + "* - " + text(text::AppTitle));
    EXPECT_EQ(prompter.messages.size(), asked) << "a question was asked while busy";
    EXPECT_EQ(prompter.dialogs.size(), 2u); // start-up and the read's source choice only
    EXPECT_TRUE(core->channel.isOpen());
    EXPECT_TRUE(windowUsable(frame));
}

class PasswordDuringTransfer : public AppRig {
protected:
    void SetUp() override {
        AppRig::SetUp();
        withModel([](auto& m) { m.setPassword("secret"); });
    }

    // The password question finds the progress dialog out of the way and the window busy; after
    // the answer the dialog comes back, its Cancel asks (and No goes on), and the window stays
    // busy until the transfer ends.
    void runTransfer(MainFrame& frame, int command, int done) {
        prompter.dialogSteps.push_back([&](QDialog& dialog) {
            FlashProgressDialog* progress = frame.gateway().progressDialog();
            progressAsideDuringQuestion = progress != nullptr && !progress->isVisible();
            busyDuringQuestion = frame.busy();
            return press("ctl1", typing("ctl1000", QStringLiteral("secret")))(dialog);
        });
        QTimer sample;
        QObject::connect(&sample, &QTimer::timeout, [&] {
            FlashProgressDialog* progress = frame.gateway().progressDialog();
            if (progress == nullptr || progress->ended()) {
                return;
            }
            ++samples;
            if (!windowLocked(frame)) {
                ++unlockedSamples;
            }
            if (progress->isVisible() && progress->position() >= 20 && !cancelClicked) {
                cancelClicked = true;
                prompter.answers.push_back(ResultNo); // go on
                progress->cancelButton()->click();
            }
        });
        sample.start(2);
        frame.command(command);
        ASSERT_TRUE(waitShown(done));
        EXPECT_TRUE(waitFor([&] { return bool(windowUsable(frame)); }));
        EXPECT_TRUE(progressAsideDuringQuestion);
        EXPECT_TRUE(busyDuringQuestion);
        EXPECT_TRUE(cancelClicked);
        EXPECT_TRUE(shown(text::FlashLoadCancelQuestion) ||
                    shown(text::FlashDownloadCancelQuestion));
        EXPECT_GT(samples, 0);
        EXPECT_EQ(unlockedSamples, 0);
        EXPECT_EQ(core->session.accessPassword(), "secret");
    }

    bool progressAsideDuringQuestion = false;
    bool busyDuringQuestion = false;
    bool cancelClicked = false;
    int samples = 0;
    int unlockedSamples = 0;
};

TEST_F(PasswordDuringTransfer, FlashLoadingCompletesByteExact) {
    MainFrame& frame = openWindow();
    const std::string firmware = writeFirmware(files, 64 * 1024, "3.02.0001");
    prompter.openAnswers.push_back(FileChoice{QString::fromStdString(firmware), 1});
    prompter.answers.push_back(ResultYes); // load this version?
    runTransfer(frame, cmd::FlashLoad, text::FlashLoadDone);
    EXPECT_TRUE(waitFor([&] {
        return withModel([](auto& m) { return m.running() && m.firmwareVersion() == "3.02.0001"; });
    }));
    EXPECT_EQ(withModel([](auto& m) { return m.flashImage(); }), readAll(firmware));
}

TEST_F(PasswordDuringTransfer, FlashDownloadingCompletesByteExact) {
    withModel([](auto& m) {
        m.setFlashImage(sim::FlashStore::makeFirmwareImage(64 * 1024, "2.99.0001"));
        return 0;
    });
    MainFrame& frame = openWindow();
    const std::string image = files.file("image.bin");
    prompter.saveAnswers.push_back(FileChoice{QString::fromStdString(image), 1});
    runTransfer(frame, cmd::FlashDownload, text::FlashDownloadDone);
    EXPECT_EQ(readAll(image), withModel([](auto& m) { return m.flashImage(); }));
}

// The USB adapter is pulled in the middle of an operation and plugged in again.
class PortLoss : public AppRig {
protected:
    bool stableLink() const override { return true; }

    // After the port is back, the next command works without restarting anything.
    void readWorksAgain(MainFrame& frame) {
        ASSERT_TRUE(converter->replug());
        prompter.dialogSteps.push_back(pressButton("ctl1"));
        frame.command(cmd::FileOpen);
        EXPECT_TRUE(waitFor([&] {
            return !frame.document().isEmpty() && !frame.busy() &&
                   withModel(
                       [](auto& m) { return m.framesReceived(sim::RequestKind::ConfigRead); }) >= 5;
        }));
        EXPECT_TRUE(windowUsable(frame));
    }
};

TEST_F(PortLoss, InTheMiddleOfAConfigurationReadEndsItAndTheNextReadWorks) {
    MainFrame& frame = openWindow();
    withModel([](auto& m) { answerAfter(m, std::chrono::milliseconds(200)); });
    prompter.dialogSteps.push_back(pressButton("ctl1"));
    frame.command(cmd::FileOpen);
    ASSERT_TRUE(waitFor([&] {
        return withModel([](auto& m) { return m.framesReceived(sim::RequestKind::ConfigRead); }) >=
               2;
    }));
    ASSERT_TRUE(converter->unplug());
    // Ended as soon as the port is gone, not after the time-outs; the message says why.
    ASSERT_TRUE(waitFor([&] { return bool(windowUsable(frame)); }, 3000))
        << windowUsable(frame).message();
    EXPECT_TRUE(shownText(format(text::ReadStoppedFormat, {text(text::ReasonPortGone)})));
    EXPECT_FALSE(shown(text::NoAnswer)) << "the converter was not asked in vain";
    EXPECT_TRUE(frame.document().isEmpty()) << "a partial configuration was taken";
    withModel([](auto& m) {
        m.setFaults({});
        return 0;
    });
    readWorksAgain(frame);
}

TEST_F(PortLoss, DuringAResetEndsItAndTheNextReadWorks) {
    ManualTimerService clock;
    core->timers = &clock;
    MainFrame& frame = openWindow();
    withModel([](auto& m) {
        sim::FaultSettings faults;
        faults.line.dropInEvery = 1; // the reset never arrives
        m.setFaults(faults);
    });
    frame.command(cmd::DeviceReset);
    ASSERT_TRUE(waitFor([&] { return frame.gateway().waitDialog() != nullptr; }));
    ASSERT_TRUE(converter->unplug());
    ASSERT_TRUE(waitFor([&] { return !core->channel.isOpen(); }));
    // The reset ends when the channel reports the port gone; a re-send would find no link.
    clock.advance(kResetTimeoutMs);
    ASSERT_TRUE(waitFor([&] { return bool(windowUsable(frame)); }))
        << windowUsable(frame).message();
    EXPECT_TRUE(shown(text::LinkLost));
    withModel([](auto& m) {
        m.setFaults({});
        return 0;
    });
    readWorksAgain(frame);
}
