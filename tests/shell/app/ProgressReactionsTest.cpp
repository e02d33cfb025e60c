// How the window tells the end of each operation (one table row per kind of result), and how
// the device gateway's dialogs and busy state follow the progress reports and the results.
#include "ManualTimers.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "link/SerialChannel.h"
#include "protocol/DeviceSession.h"
#include "protocol/FieldTags.h"
#include "shell/app/DeviceGateway.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/ResultMessages.h"
#include "shell/app/WaitDialog.h"
#include "shell/ui/PasswordDialog.h"
#include "sim/model/FlashStore.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <memory>
#include <variant>

using namespace vandrel;

namespace {

struct Texts {
    LanguageManager language;
    Texts() {
        language.setLanguageFolders({QStringLiteral(VANDREL_SOURCE_DIR "/lang")});
        EXPECT_TRUE(language.Load(1));
    }
};

OperationResult ended(OperationKind kind, Outcome outcome) {
    OperationResult result;
    result.kind = kind;
    result.outcome = outcome;
    return result;
}

// What the window knows besides the result. An enum in the rows, not a ResultContext: a table of
// std::function members draws a false -Wmaybe-uninitialized from GCC 12 at -O3.
enum class Known { Nothing, RestartAwaited, LoaderTimedOut, FieldNames };

ResultContext contextOf(Known known) {
    ResultContext context;
    context.restartAwaited = known == Known::RestartAwaited;
    context.loaderTimedOut = known == Known::LoaderTimedOut;
    if (known == Known::FieldNames) {
        context.nameField = [](std::size_t offset) {
            return QStringLiteral("field at %1").arg(offset);
        };
    }
    return context;
}

struct MessageRow {
    const char* name;
    OperationResult result;
    Known context;
    int text; // 0: nothing is said
    int caption;
    // The arguments as text ids (reasons) or literal texts; a reason's id is turned into its text.
    std::vector<std::variant<int, const char*>> args;
};

void PrintTo(const MessageRow& row, std::ostream* os) {
    *os << row.name;
}

using K = OperationKind;
using O = Outcome;

std::vector<MessageRow> messageRows() {
    const auto with = [](OperationResult r, auto change) {
        change(r);
        return r;
    };
    const auto refused = [&](K kind) {
        return with(ended(kind, O::Refused), [](auto& r) { r.status = "01 55"; });
    };
    const auto percent = [&](K kind, O outcome) {
        return with(ended(kind, outcome), [](auto& r) { r.percent = 54; });
    };
    const Known restartAwaited = Known::RestartAwaited;
    const Known loaderTimedOut = Known::LoaderTimedOut;
    const Known named = Known::FieldNames;
    const int error = text::CaptionError;
    const int done = text::CaptionDone;
    return {
        // A read.
        {"read done", ended(K::ConfigRead, O::Done), {}, 0, 0, {}},
        {"read refused", refused(K::ConfigRead), {}, text::DeviceRefusedFormat, error, {"01 55"}},
        {"read unanswered", ended(K::ConfigRead, O::GaveUp), {}, text::NoAnswer, error, {}},
        {"read cut short by a restart",
         ended(K::ConfigRead, O::CutShortByRestart),
         {},
         text::ReadStoppedFormat,
         error,
         {text::ReasonRestart}},
        {"read, the port gone",
         ended(K::ConfigRead, O::LinkLost),
         {},
         text::ReadStoppedFormat,
         error,
         {text::ReasonPortGone}},
        {"read, its system information unanswered",
         with(ended(K::ConfigRead, O::Done), [](auto& r) { r.systemInfoOutcome = O::GaveUp; }),
         {},
         text::NoAnswer,
         error,
         {}},
        {"read, password question cancelled",
         ended(K::ConfigRead, O::PasswordCancelled),
         {},
         0,
         0,
         {}},
        // A write, with and without its read-back.
        {"written",
         with(ended(K::ConfigWrite, O::Done), [](auto& r) { r.written = true; }),
         {},
         text::WriteDone,
         done,
         {}},
        {"written and identical",
         with(ended(K::ConfigWrite, O::Done),
              [](auto& r) {
                  r.written = true;
                  r.readBack = ReadBack::Identical;
              }),
         {},
         text::WriteVerified,
         done,
         {}},
        {"written but different",
         with(ended(K::ConfigWrite, O::Done),
              [](auto& r) {
                  r.written = true;
                  r.readBack = ReadBack::Differs;
                  r.firstDifference = 42;
              }),
         named,
         text::WriteDiffersFormat,
         error,
         {"field at 42"}},
        {"written but not read back",
         with(ended(K::ConfigWrite, O::Done),
              [](auto& r) {
                  r.written = true;
                  r.readBack = ReadBack::Failed;
                  r.readBackOutcome = O::GaveUp;
              }),
         {},
         text::WriteUncheckedFormat,
         error,
         {text::ReasonNoAnswer}},
        {"write refused", refused(K::ConfigWrite), {}, text::DeviceRefusedFormat, error, {"01 55"}},
        {"write cut short by a restart",
         ended(K::ConfigWrite, O::CutShortByRestart),
         {},
         text::WriteStoppedFormat,
         error,
         {text::ReasonRestart}},
        {"write, the port gone",
         ended(K::ConfigWrite, O::LinkLost),
         {},
         text::WriteStoppedFormat,
         error,
         {text::ReasonPortGone}},
        {"written, then the loader waits for firmware",
         with(ended(K::ConfigWrite, O::CutShortByRestart),
              [](auto& r) {
                  r.written = true;
                  r.restart = RestartKind::LoaderWaitsForFirmware;
              }),
         {},
         0,
         0,
         {}},
        {"write, the converter never back",
         ended(K::ConfigWrite, O::GaveUp),
         restartAwaited,
         text::RestartTimedOut,
         error,
         {}},
        // A reset, and the converter's way back.
        {"reset done", ended(K::Reset, O::Done), {}, 0, 0, {}},
        {"reset refused", refused(K::Reset), {}, text::DeviceRefusedFormat, error, {"01 55"}},
        {"reset, the converter never back",
         ended(K::Reset, O::GaveUp),
         restartAwaited,
         text::RestartTimedOut,
         error,
         {}},
        {"the loader's code never came",
         ended(K::LoaderWait, O::GaveUp),
         loaderTimedOut,
         text::LoaderNoAnswer,
         error,
         {}},
        // FLASH loading.
        {"loaded", ended(K::FlashLoading, O::Done), {}, text::FlashLoadDone, done, {}},
        {"loading cancelled",
         ended(K::FlashLoading, O::Cancelled),
         {},
         text::FlashLoadFailed,
         error,
         {}},
        {"loading refused", refused(K::FlashLoading), {}, text::FlashLoadFailed, error, {}},
        {"loading cut short by a restart",
         percent(K::FlashLoading, O::CutShortByRestart),
         {},
         text::LoadingStoppedFormat,
         error,
         {"54", text::ReasonRestart}},
        {"loading cut short, the loader waits",
         with(percent(K::FlashLoading, O::CutShortByRestart),
              [](auto& r) { r.restart = RestartKind::LoaderWaitsForFirmware; }),
         {},
         text::LoadingStoppedWaitsFormat,
         error,
         {"54", text::ReasonRestart}},
        {"loading, the port gone",
         percent(K::FlashLoading, O::LinkLost),
         {},
         text::LoadingStoppedFormat,
         error,
         {"54", text::ReasonPortGone}},
        {"loading unanswered",
         percent(K::FlashLoading, O::GaveUp),
         {},
         text::LoadingStoppedFormat,
         error,
         {"54", text::ReasonNoAnswer}},
        // FLASH downloading.
        {"downloaded", ended(K::FlashDownloading, O::Done), {}, text::FlashDownloadDone, done, {}},
        {"download cancelled", ended(K::FlashDownloading, O::Cancelled), {}, 0, 0, {}},
        {"download refused",
         refused(K::FlashDownloading),
         {},
         text::FlashDownloadFailed,
         error,
         {}},
        {"download, file not written",
         percent(K::FlashDownloading, O::FileError),
         {},
         text::DownloadStoppedFormat,
         error,
         {"54", text::ReasonFileNotWritten}},
        {"download, the port gone",
         percent(K::FlashDownloading, O::LinkLost),
         {},
         text::DownloadStoppedFormat,
         error,
         {"54", text::ReasonPortGone}},
        // Monitoring and the rest.
        {"monitor command refused",
         refused(K::MonitorCommand),
         {},
         text::DeviceRefusedFormat,
         error,
         {"01 55"}},
        {"monitoring cut short by a restart",
         ended(K::MonitorSwitch, O::CutShortByRestart),
         {},
         0,
         0,
         {}},
        {"monitoring unanswered",
         ended(K::MonitorSwitch, O::GaveUp),
         {},
         text::NoAnswer,
         error,
         {}},
        {"password change refused: its dialog says so", refused(K::PasswordChange), {}, 0, 0, {}},
        {"replaced by another", ended(K::ConfigRead, O::Replaced), {}, 0, 0, {}},
    };
}

class ResultMessages : public ::testing::TestWithParam<MessageRow> {
protected:
    static Texts& texts() {
        static Texts shared;
        return shared;
    }
};

TEST_P(ResultMessages, SayHowTheOperationEnded) {
    const MessageRow& row = GetParam();
    const LanguageManager& language = texts().language;
    const std::optional<ResultMessage> message =
        resultMessage(row.result, contextOf(row.context), language);
    if (row.text == 0) {
        EXPECT_FALSE(message) << message->text;
        return;
    }
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, row.text);
    EXPECT_EQ(message->caption, row.caption);
    QStringList args;
    for (const auto& arg : row.args) {
        args << (std::holds_alternative<int>(arg) ? language.Text(std::get<int>(arg))
                                                  : QString::fromUtf8(std::get<const char*>(arg)));
    }
    EXPECT_EQ(message->args, args);
    // The format takes exactly these arguments in both languages' texts.
    EXPECT_FALSE(language.Text(row.text).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, ResultMessages, ::testing::ValuesIn(messageRows()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

// The gateway on a channel that is not running: requests go nowhere, the reports and results
// are fed by hand.
class GatewayReactions : public ::testing::Test {
protected:
    void SetUp() override {
        routeMessages(texts.language, prompter);
        const std::vector<std::uint8_t> image = sim::FlashStore::makeFirmwareImage(1024, "1.0");
        std::ofstream(firmware, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
    }

    // A report as the session posts it, handled as the event loop hands it on.
    void report(SessionProgress code, int value) {
        gateway.postSessionProgress(code, value);
        QTest::qWait(1);
    }
    void end(const OperationResult& result) {
        gateway.operationEnded(result);
        QTest::qWait(1);
    }

    TempDir files;
    const std::string firmware = files.file("firmware.bin");
    Texts texts;
    ScriptedPrompter prompter;
    ManualTimerService clock;
    SerialChannel channel;
    DeviceSession session;
    QWidget window;
    DeviceGateway gateway{session, channel, clock, texts.language, prompter, [] { return true; },
                          &window};
};

TEST_F(GatewayReactions, WaitDialogFollowsTheRestart) {
    using P = SessionProgress;
    report(P::ResetSent, result::Sent);
    ASSERT_NE(gateway.waitDialog(), nullptr);
    EXPECT_TRUE(gateway.waitDialog()->isVisible());
    EXPECT_EQ(gateway.waitDialog()->note(), text::WaitRestarting);
    report(P::RestartLoader, 0);
    EXPECT_TRUE(gateway.waitDialog()->isVisible()) << "still restarting";
    report(P::RestartCode, 0);
    EXPECT_EQ(gateway.waitDialog(), nullptr);
    // A refused reset, and a loader that never starts its code, close it too.
    for (const auto& [code, value] :
         {std::pair{P::ResetSent, result::Failed}, std::pair{P::LoaderTimedOut, 0}}) {
        report(P::ResetSent, result::Sent);
        ASSERT_NE(gateway.waitDialog(), nullptr);
        report(code, value);
        EXPECT_EQ(gateway.waitDialog(), nullptr);
    }
    EXPECT_TRUE(prompter.messages.empty()) << "reports tell nothing: results do";
}

TEST_F(GatewayReactions, ProgressDialogFollowsTheTransferUntilItsResult) {
    using P = SessionProgress;
    ASSERT_TRUE(gateway.startFlashLoading(firmware));
    EXPECT_TRUE(gateway.busy());
    FlashProgressDialog* progress = gateway.progressDialog();
    ASSERT_NE(progress, nullptr);
    report(P::FlashChunkSent, 40);
    EXPECT_EQ(progress->position(), 40);
    // The password question hides it; the next report brings it back.
    gateway.passwordWanted();
    EXPECT_FALSE(progress->isVisible());
    EXPECT_NE(gateway.passwordDialog(), nullptr);
    gateway.passwordDialog()->reject();
    QTest::qWait(1);
    report(P::FlashChunkSent, 50);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->position(), 50);
    // Its result ends the transfer and says how.
    OperationResult result = ended(K::FlashLoading, O::Done);
    session.cancel(); // the engine's own end is not looked at here
    end(result);
    EXPECT_EQ(gateway.progressDialog(), nullptr);
    EXPECT_FALSE(gateway.busy());
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back().text, texts.language.Text(text::FlashLoadDone));
    EXPECT_EQ(prompter.shownParents.back(), &window) << "over the main window";
}

TEST_F(GatewayReactions, TheLoaderAskingForFirmwareAsksTheWindowOnce) {
    QSignalSpy wanted(&gateway, &DeviceGateway::firmwareWanted);
    report(SessionProgress::LoaderWaitsForFirmware, 0);
    report(SessionProgress::LoaderWaitsForFirmware, 0);
    EXPECT_EQ(wanted.count(), 1);
    EXPECT_TRUE(gateway.busy());
    EXPECT_EQ(gateway.transfer(), DeviceGateway::Transfer::Loading);
    // Declined while nothing waits any more: the transfer is over.
    gateway.declineFirmware();
    EXPECT_EQ(gateway.transfer(), DeviceGateway::Transfer::None);
    EXPECT_FALSE(gateway.busy());
}

TEST_F(GatewayReactions, AReadShowsItsPacketsInTheStatusBar) {
    QSignalSpy notes(&gateway, &DeviceGateway::statusNote);
    report(SessionProgress::ConfigReadSent, 0);
    ASSERT_EQ(notes.count(), 1);
    EXPECT_EQ(notes[0][0].toString(),
              texts.language.Text(text::ReadProgressFormat).replace("%s", "1"));
    end(ended(K::ConfigRead, O::Refused));
    EXPECT_EQ(notes.last()[0].toString(), QString()) << "gone with the end";
}

TEST_F(GatewayReactions, ACommandLineWhileThePortIsAwayIsRefusedWithAMessage) {
    gateway.sendCommandLine("V=01\r\n");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, texts.language.Text(text::CommandNotSent));
    EXPECT_EQ(session.operation(), OperationKind::None) << "nothing sent";
}

} // namespace
