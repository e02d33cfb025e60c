// How the window tells the end of an operation: one message, over the main window, that says
// what happened (a write and its read-back, a FLASH transfer cut short and how far it got), and
// a read's progress in the status bar.
#include "AppRig.h"
#include "FirmwareFiles.h"

#include "config/ConfigFile.h"
#include "configview/ConfigComparison.h"
#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/app/FlashProgressDialog.h"

#include <QAction>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>

using namespace vandrel;

namespace {

ScriptedPrompter::DialogStep pressButton(const char* name) {
    return [name](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
        return dialog.result();
    };
}

class ResultBoxes : public AppRig {
protected:
    // File > Save to the converter of a configuration from a file, until the write has ended.
    void writeToConverter(MainFrame& frame) {
        ConverterConfig stored;
        ResetToDefaults(&stored);
        const std::string path = files.file("site.dat");
        ASSERT_EQ(WriteConfigFile(path, stored, DeviceInfo{}), kConfigWritten);
        prompter.dialogSteps.push_back(pressButton("ctl1018")); // File > Open: a file
        prompter.openAnswers.push_back(FileChoice{QString::fromStdString(path), 1});
        frame.command(cmd::FileOpen);
        ASSERT_EQ(frame.document().filePath().toStdString(), path);
        const std::size_t before = prompter.messages.size();
        prompter.dialogSteps.push_back(pressButton("ctl1")); // File > Save: the converter
        frame.command(cmd::FileSave);
        ASSERT_TRUE(waitFor([&] { return prompter.messages.size() > before && !frame.busy(); }));
    }
    // The part of a format text before its first argument.
    QString lead(int id) const { return text(id).left(text(id).indexOf(QLatin1String("%s"))); }
    unsigned reads() {
        return withModel([](auto& m) { return m.framesReceived(sim::RequestKind::ConfigRead); });
    }
};

// One message ends a write, and its read-back is the one `vandrelctl write --verify` makes.
TEST_F(ResultBoxes, AWriteEndsWithOneMessageThatSaysHowItsReadBackWent) {
    struct Case {
        const char* name;
        bool readBack;
        std::function<void(sim::ConverterModel&)> converter;
        int text;
        unsigned reads;
    };
    const Case cases[] = {
        {"identical", true, {}, text::WriteVerified, 5},
        {"a cell of the converter keeps its old value", true,
         [](sim::ConverterModel& m) {
             sim::FaultSettings faults;
             faults.stuckBytes.push_back({42, 0x33});
             m.setFaults(faults);
         },
         text::WriteDiffersFormat, 5},
        {"the read-back refused", true,
         [](sim::ConverterModel& m) {
             sim::FaultSettings faults;
             faults.refusals.push_back({sim::RequestKind::ConfigRead, 0x01, 0});
             m.setFaults(faults);
         },
         text::WriteUncheckedFormat, 4},
        {"no read-back asked", false, {}, text::WriteDone, 0},
    };
    // The write alone: no read of the converter before it.
    core->windowSettings.reviewBeforeWrite = false;
    core->windowSettings.backupBeforeWrite = false;
    MainFrame& frame = openWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        withModel([&](auto& m) {
            m.setFaults({});
            if (c.converter) {
                c.converter(m);
            }
            return 0;
        });
        QAction* setting = frame.menuAction(cmd::ReadBackAfterWrite);
        ASSERT_NE(setting, nullptr);
        if (setting->isChecked() != c.readBack) {
            setting->trigger();
        }
        EXPECT_EQ(core->windowSettings.readBackAfterWrite, c.readBack);
        const unsigned readsBefore = reads();
        const std::size_t before = prompter.messages.size();
        writeToConverter(frame);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(prompter.messages.size(), before + 1) << "one message";
        EXPECT_TRUE(prompter.messages.back().text.startsWith(lead(c.text)))
            << prompter.messages.back().text.toStdString();
        EXPECT_EQ(prompter.shownParents.back(), &frame) << "over the main window";
        EXPECT_EQ(reads() - readsBefore, c.reads);
    }

    // A byte of switches that comes back with one bit changed is named by that switch alone.
    ConverterConfig written;
    ResetToDefaults(&written);
    ConverterConfig found = written;
    found.bytes[ConfigOffset::enableBits] ^= 0x01;
    const QString named =
        FieldAtOffsetLabel(ConfigOffset::enableBits, written, found, core->language);
    ASSERT_FALSE(named.isEmpty());
    ASSERT_NE(named, FieldAtOffsetLabel(ConfigOffset::enableBits, core->language))
        << "the byte holds several switches";
    withModel([&](auto& m) {
        sim::FaultSettings faults;
        faults.stuckBytes.push_back(
            {ConfigOffset::enableBits, found.bytes[ConfigOffset::enableBits]});
        m.setFaults(faults);
        return 0;
    });
    if (!frame.menuAction(cmd::ReadBackAfterWrite)->isChecked()) {
        frame.menuAction(cmd::ReadBackAfterWrite)->trigger();
    }
    writeToConverter(frame);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(prompter.messages.back().text, format(text::WriteDiffersFormat, {named}));
}

TEST_F(ResultBoxes, AReadShowsWhichPacketGoesOut) {
    MainFrame& frame = openWindow();
    QStringList notes;
    QObject::connect(frame.statusBar(), &QStatusBar::messageChanged,
                     [&](const QString& note) { notes << note; });
    prompter.dialogSteps.push_back(pressButton("ctl1"));
    frame.command(cmd::FileOpen);
    ASSERT_TRUE(waitFor([&] { return !frame.document().isEmpty() && !frame.busy(); }));
    QStringList expected;
    for (int packet = 1; packet <= 5; ++packet) {
        expected << format(text::ReadProgressFormat, {QString::number(packet)});
    }
    expected << QString();
    EXPECT_EQ(notes.join(QLatin1Char('|')).toStdString(),
              expected.join(QLatin1Char('|')).toStdString());
}

// The port goes away in the middle of a loading: the message names how far it got and that the
// converter may wait for firmware now.
class LoadingCutShort : public ResultBoxes {
protected:
    bool stableLink() const override { return true; }
};

TEST_F(LoadingCutShort, ByALostPortTheMessageNamesThePercentReached) {
    MainFrame& frame = openWindow();
    prompter.openAnswers.push_back(
        FileChoice{QString::fromStdString(writeFirmware(files, 32 * 1024, "3.00.0001")), 1});
    prompter.answers.push_back(ResultYes);
    int reached = 0;
    watch.onShown = [&](QDialog& dialog) {
        if (auto* progress = qobject_cast<FlashProgressDialog*>(&dialog)) {
            QObject::connect(progress->findChild<QProgressBar*>(QStringLiteral("progress")),
                             &QProgressBar::valueChanged, [&](int value) { reached = value; });
        }
    };
    frame.command(cmd::FlashLoad);
    ASSERT_TRUE(waitFor([&] { return reached >= 40; }));
    ASSERT_TRUE(converter->unplug());
    ASSERT_TRUE(waitFor([&] { return !frame.busy(); }));
    ASSERT_FALSE(prompter.messages.empty());
    const QString told = prompter.messages.back().text;
    EXPECT_TRUE(told.startsWith(lead(text::LoadingStoppedFormat))) << told.toStdString();
    EXPECT_TRUE(told.contains(text(text::ReasonPortGone))) << told.toStdString();
    // The percent the converter acknowledged, never more than the bar showed.
    const qsizetype at = lead(text::LoadingStoppedFormat).size();
    const int percent = told.mid(at, told.indexOf(QLatin1Char(' '), at) - at).toInt();
    EXPECT_GT(percent, 30);
    EXPECT_LE(percent, reached);
    EXPECT_EQ(prompter.shownParents.back(), &frame);
    EXPECT_EQ(frame.gateway().progressDialog(), nullptr);
}

// The converter restarts into a loader that waits for firmware in the middle of a loading: the
// same file is loaded again from its start and arrives whole; the window is usable afterwards.
TEST_F(ResultBoxes, ALoaderThatRestartsWaitingForFirmwareGetsTheLoadingAgain) {
    MainFrame& frame = openWindow();
    const std::string firmware = writeFirmware(files, 8 * 1024, "3.01.0001");
    withModel([](auto& m) {
        sim::FaultSettings faults;
        faults.restarts.push_back({sim::RequestKind::FlashChunk, 20, sim::RestartHow::Firmware});
        m.setFaults(faults);
        return 0;
    });
    prompter.openAnswers.push_back(FileChoice{QString::fromStdString(firmware), 1});
    prompter.answers.push_back(ResultYes);
    frame.command(cmd::FlashLoad);
    ASSERT_TRUE(waitShown(text::FlashLoadDone));
    ASSERT_TRUE(waitFor([&] { return !frame.busy(); }));
    const std::vector<std::uint8_t> flash = withModel([](auto& m) { return m.flashImage(); });
    const std::vector<std::uint8_t> file = readAll(firmware);
    ASSERT_GE(flash.size(), file.size());
    EXPECT_TRUE(std::equal(file.begin(), file.end(), flash.begin()));
    EXPECT_FALSE(shown(text::ConverterWantsFirmware)) << "the loading had its file";
    EXPECT_EQ(frame.gateway().progressDialog(), nullptr);
    EXPECT_TRUE(frame.menuAction(cmd::FlashLoad)->isEnabled());
}

} // namespace
