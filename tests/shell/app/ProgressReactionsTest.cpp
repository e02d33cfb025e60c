// The window's reactions to the protocol engine's progress reports, one table row per code and
// result: the message shown, the busy state and the operation dialogs afterwards.
#include "ManualTimers.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"

#include "language/TextIds.h"
#include "protocol/FieldTags.h"
#include "protocol/ProtocolFrame.h"
#include "shell/app/AppCore.h"
#include "shell/app/DeviceOperations.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/WaitDialog.h"
#include "sim/model/FlashStore.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

using namespace vandrel;

namespace {

// The window around the operations, as far as they see it.
class RecordingHost : public OperationHost, public SessionHost {
public:
    void setInputEnabled(bool enabled) override { inputEnabled = enabled; }
    void takeConfiguration() override { followed.push_back("takeConfiguration"); }
    void takeSystemInfo() override { followed.push_back("takeSystemInfo"); }
    void clearMonitorCommand() override { followed.push_back("clearMonitorCommand"); }
    void showMonitoringOff() override { followed.push_back("showMonitoringOff"); }
    void chooseFirmwareForConverter() override { followed.push_back("chooseFirmware"); }
    void refresh() override {}

    int sessionQuery(SessionQuery query) override {
        return query == SessionQuery::EnsureLink ? 1 : 0;
    }
    void postSessionProgress(SessionProgress code, int value) override {
        posted.emplace_back(code, value);
    }

    bool inputEnabled = true;
    std::vector<std::string> followed;
    std::vector<std::pair<SessionProgress, int>> posted;
};

enum class Before { Idle, Busy, Wait, Loading, Downloading, LoadingHidden };
enum class Progress { None, Shown, Hidden };

struct Row {
    const char* name;
    Before before;
    SessionProgress code;
    int value;
    int text; // 0: no message
    int caption;
    bool busyAfter;
    bool waitAfter;
    Progress progressAfter;
    const char* follow = nullptr;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

using P = SessionProgress;
constexpr Progress None = Progress::None;
constexpr Progress Shown = Progress::Shown;

// clang-format off
const Row kRows[] = {
    {"ResetSent", Before::Idle, P::ResetSent, result::Sent, 0, 0, true, true, None},
    {"ResetPasswordCancelled", Before::Wait, P::ResetSent, result::PasswordCancelled, 0, 0, false, false, None},
    {"ResetRefused", Before::Wait, P::ResetSent, result::Failed, text::DeviceRefusedFormat, text::CaptionError, false, false, None},
    {"RestartLoader", Before::Idle, P::RestartLoader, 0, 0, 0, true, true, None},
    {"RestartCode", Before::Wait, P::RestartCode, 0, 0, 0, false, false, None},
    {"LoaderTimedOut", Before::Wait, P::LoaderTimedOut, 0, text::LoaderNoAnswer, text::CaptionError, false, false, None},
    {"ConfigReadSent", Before::Idle, P::ConfigReadSent, 0, 0, 0, true, false, None},
    {"ConfigReadDone", Before::Busy, P::ConfigReadEnded, result::Success, 0, 0, false, false, None, "takeConfiguration"},
    {"ConfigReadRefused", Before::Busy, P::ConfigReadEnded, result::Failed, text::DeviceRefusedFormat, text::CaptionError, false, false, None},
    {"ConfigReadPasswordCancelled", Before::Busy, P::ConfigReadEnded, result::PasswordCancelled, 0, 0, false, false, None},
    {"ConfigWriteSent", Before::Idle, P::ConfigWriteSent, 0, 0, 0, true, false, None},
    {"ConfigWriteRefused", Before::Busy, P::ConfigWriteEnded, result::Failed, text::DeviceRefusedFormat, text::CaptionError, false, false, None},
    {"MonitorSent", Before::Idle, P::MonitorSent, 0, 0, 0, true, false, None},
    {"MonitorDone", Before::Busy, P::MonitorEnded, result::Success, 0, 0, false, false, None, "clearMonitorCommand"},
    {"MonitorRefused", Before::Busy, P::MonitorEnded, result::Failed, text::DeviceRefusedFormat, text::CaptionError, false, false, None},
    {"SystemInfoDone", Before::Busy, P::SystemInfoEnded, result::Success, 0, 0, false, false, None, "takeSystemInfo"},
    {"SystemInfoFailed", Before::Busy, P::SystemInfoEnded, result::Failed, 0, 0, false, false, None},
    {"ChunkSent", Before::Loading, P::FlashChunkSent, 40, 0, 0, true, false, Shown},
    {"StartSentAfterQuestion", Before::LoadingHidden, P::FlashStartSent, 0, 0, 0, true, false, Shown},
    {"ChunkAfterQuestion", Before::LoadingHidden, P::FlashChunkSent, 25, 0, 0, true, false, Shown},
    // A code that ends another operation leaves a running transfer busy.
    {"OtherEndDuringTransfer", Before::Loading, P::SystemInfoEnded, result::Failed, 0, 0, true, false, Shown},
    {"LoadDone", Before::Loading, P::FlashLoadEnded, result::Success, text::FlashLoadDone, text::CaptionDone, false, false, None},
    {"LoadFailed", Before::Loading, P::FlashLoadEnded, result::Failed, text::FlashLoadFailed, text::CaptionError, false, false, None},
    {"LoadCancelled", Before::Loading, P::FlashLoadEnded, result::Cancelled, text::FlashLoadFailed, text::CaptionError, false, false, None},
    {"LoadPasswordCancelled", Before::LoadingHidden, P::FlashLoadEnded, result::PasswordCancelled, 0, 0, false, false, None},
    {"BlockRequested", Before::Downloading, P::FlashBlockRequested, 30, 0, 0, true, false, Shown},
    {"DownloadDone", Before::Downloading, P::FlashReadEnded, result::Success, text::FlashDownloadDone, text::CaptionDone, false, false, None},
    {"DownloadFailed", Before::Downloading, P::FlashReadEnded, result::Failed, text::FlashDownloadFailed, text::CaptionError, false, false, None},
    {"DownloadPasswordCancelled", Before::Downloading, P::FlashReadEnded, result::PasswordCancelled, 0, 0, false, false, None},
    {"GaveUpDuringTransfer", Before::Downloading, P::GaveUp, 0, text::NoAnswer, text::CaptionError, false, false, None, "showMonitoringOff"},
    {"GaveUpWaitingForRestart", Before::Wait, P::GaveUp, 0, text::RestartTimedOut, text::CaptionError, false, false, None, "showMonitoringOff"},
    {"LoaderWantsFirmware", Before::Wait, P::LoaderWaitsForFirmware, 0, 0, 0, true, false, None, "chooseFirmware"},
    {"UnknownCode", Before::Busy, static_cast<P>(99), 0, 0, 0, true, false, None},
};
// clang-format on

class ProgressReactions : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        core.language.setLanguageFolders({QStringLiteral(VANDREL_SOURCE_DIR "/lang")});
        routeMessages(core.language, prompter);
        ASSERT_TRUE(core.language.Load(1));
        core.session.timers = &clock;
        core.session.notifyWindow = &host;
        const std::vector<std::uint8_t> image = sim::FlashStore::makeFirmwareImage(1024, "1.0");
        std::ofstream(firmware, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
    }
    void TearDown() override { core.session.notifyWindow = nullptr; }

    void prepare(Before before) {
        switch (before) {
        case Before::Idle:
            break;
        case Before::Busy:
            operations.onProgress(P::ConfigReadSent, 0);
            break;
        case Before::Wait:
            operations.onProgress(P::ResetSent, 0);
            break;
        case Before::Loading:
            ASSERT_TRUE(operations.startFlashLoading(firmware));
            break;
        case Before::LoadingHidden:
            ASSERT_TRUE(operations.startFlashLoading(firmware));
            operations.progressDialog()->hide(); // as the password question does
            break;
        case Before::Downloading:
            ASSERT_TRUE(operations.startFlashDownloading(files.file("image.bin")));
            break;
        }
    }

    TempDir files;
    const std::string firmware = files.file("firmware.bin");
    ManualTimerService clock;
    AppCore core;
    ScriptedPrompter prompter;
    RecordingHost host;
    QWidget window;
    DialogRunner dialogs{prompter, core.language, &window};
    DeviceOperations operations{core, prompter, dialogs, host, &window};
};

TEST_P(ProgressReactions, MessageBusyStateAndDialogsFollowTheTable) {
    const Row& row = GetParam();
    prepare(row.before);
    prompter.messages.clear();
    host.followed.clear();

    operations.onProgress(row.code, row.value);
    QTest::qWait(1); // what the reaction hands to the event loop

    if (row.text == 0) {
        EXPECT_TRUE(prompter.messages.empty()) << prompter.messages.front().text.toStdString();
    } else {
        ASSERT_EQ(prompter.messages.size(), 1u);
        const FormatArg status(QString::fromStdString(core.session.resultHex()));
        const auto expected = core.language.Message(row.text, row.caption, MessageStyle{},
                                                    row.text == text::DeviceRefusedFormat
                                                        ? std::span(&status, 1)
                                                        : std::span<const FormatArg>());
        EXPECT_EQ(prompter.messages[0].text, expected->text);
        EXPECT_EQ(prompter.messages[0].title, core.language.Text(row.caption));
    }
    EXPECT_EQ(operations.busy(), row.busyAfter);
    EXPECT_EQ(host.inputEnabled, !row.busyAfter);
    EXPECT_EQ(operations.waitDialog() != nullptr, row.waitAfter);
    if (row.waitAfter) {
        EXPECT_TRUE(operations.waitDialog()->isVisible());
    }
    FlashProgressDialog* progress = operations.progressDialog();
    EXPECT_EQ(progress != nullptr && progress->isVisible(), row.progressAfter == Shown);
    if (row.progressAfter == Shown && row.code != P::FlashStartSent &&
        row.code != P::SystemInfoEnded) {
        EXPECT_EQ(progress->position(), row.value);
    }
    if (row.follow != nullptr) {
        EXPECT_EQ(host.followed, std::vector<std::string>{row.follow});
    } else {
        EXPECT_TRUE(host.followed.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ProgressReactions, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A restart of the converter ends a download it had not finished, without an end code of its
// own: the window ends the transfer and says that it failed.
TEST_F(ProgressReactions, ARestartInTheMiddleOfADownloadEndsItAsFailed) {
    prepare(Before::Downloading);
    FramePtr restart = frameCreate(kFrameTypeEvent);
    frameAddBytes(*restart, tag::RestartCode, {0x01});
    frameSeal(*restart);
    const std::size_t length = restart->length();
    core.session.onFrameReceived(ReceivedFrame{std::move(restart), length});
    ASSERT_EQ(core.session.operation(), OperationKind::None);
    prompter.messages.clear();

    operations.onProgress(P::RestartCode, 0);
    QTest::qWait(1);
    EXPECT_FALSE(operations.busy());
    EXPECT_TRUE(host.inputEnabled);
    EXPECT_EQ(operations.progressDialog(), nullptr);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, core.language.Text(text::FlashDownloadFailed));
}

TEST(ProgressTable, EveryCodeTheEngineEndsAnOperationWithHasAReaction) {
    // Results a code can carry; a missing row would leave the window busy.
    const std::pair<P, std::vector<int>> ends[] = {
        {P::ResetSent, {0, 2, 5}},
        {P::ConfigReadEnded, {1, 2, 5}},
        {P::ConfigWriteEnded, {1, 2, 5}},
        {P::MonitorEnded, {1, 2, 5}},
        {P::FlashLoadEnded, {1, 2, 4, 5}},
        {P::FlashReadEnded, {1, 2, 5}},
        {P::SystemInfoEnded, {1, 2}},
        {P::PasswordChangeEnded, {1, 2, 6}},
        {P::GaveUp, {0}},
        {P::LoaderTimedOut, {0}},
    };
    for (const auto& [code, results] : ends) {
        for (const int value : results) {
            const ProgressReaction* reaction = findProgressReaction(code, value);
            ASSERT_NE(reaction, nullptr) << static_cast<int>(code) << "/" << value;
            if (value != 0 || code == P::GaveUp || code == P::LoaderTimedOut) {
                EXPECT_TRUE(reaction->busy == BusyChange::Leave ||
                            reaction->busy == BusyChange::LeaveAll)
                    << static_cast<int>(code) << "/" << value;
            }
        }
    }
}

} // namespace
