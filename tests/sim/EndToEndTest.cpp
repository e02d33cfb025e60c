// The protocol engine against the stand-in converter, each flow from the first request to the
// last answer, on a clean line and on one that loses and damages frames.
#include "EndToEnd.h"
#include "TempDir.h"

#include "config/FileHelpers.h"
#include "sim/model/FlashStore.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace vandrel::sim {
namespace {

using testing::EndToEnd;
using Bytes = std::vector<std::uint8_t>;
using P = SessionProgress;

ModelSettings deviceSettings() {
    ModelSettings s;
    s.firmwareVersion = "2.14";
    s.loaderVersion = "1.05";
    s.partition = 1;
    s.flash = FlashStore::makeFirmwareImage(8 * 1024, "2.14");
    return s;
}

const LineFaults kCleanLine{};
// Frames lost in both directions and damaged, with noise between them: dense enough that every
// flow meets damage, and no exchange fails four times running (the session gives up then, as it
// should).
const LineFaults kBadLine{
    .dropInEvery = 4, .dropOutEvery = 6, .corruptOutEvery = 3, .garbageBytes = 3};

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes padded(Bytes image) {
    image.resize((image.size() + 127) / 128 * 128, 0xFF);
    return image;
}

// The record as the utility holds it: the converter keeps the tag the other way round.
vandrel::ConfigImage asRecord(const sim::ConfigImage& deviceImage) {
    vandrel::ConfigImage record;
    std::copy(deviceImage.begin(), deviceImage.end(), record.begin());
    std::swap(record[0], record[1]);
    return record;
}

vandrel::ConfigImage editedRecord() {
    vandrel::ConfigImage record = asRecord(ConfigStore::factoryImage());
    std::copy_n("555", 3, record.begin() + 42);
    for (std::size_t i = 600; i < 640; ++i) {
        record[i] = static_cast<std::uint8_t>(i); // reserved bytes are carried as they are
    }
    return record;
}

struct Flow {
    const char* name;
    void (*run)(EndToEnd& e, TempDir& dir, bool badLine);
};

void PrintTo(const Flow& flow, std::ostream* out) {
    *out << flow.name;
}

// The configuration of the next read that ends; none when it fails.
std::optional<vandrel::ConfigImage> readResult(EndToEnd& e) {
    const std::optional<OperationResult> read = e.ended(OperationKind::ConfigRead);
    if (!read || !read->config) {
        return std::nullopt;
    }
    return *read->config;
}

void readConfiguration(EndToEnd& e, TempDir&, bool) {
    ASSERT_TRUE(e.session.requestConfigRead());
    EXPECT_EQ(e.result(P::ConfigReadEnded), 1);
    EXPECT_EQ(e.result(P::SystemInfoEnded), 1);
    EXPECT_EQ(readResult(e), asRecord(e.model.configImage()));
    EXPECT_EQ(e.session.firmwareVersion(), "2.14");
    EXPECT_EQ(e.session.loaderVersion(), "1.05");
    EXPECT_EQ(e.session.activePartition(), 1);
}

// The write resets the converter itself and ends once the application code is back.
void writeThenReset(EndToEnd& e, TempDir&, bool badLine) {
    const vandrel::ConfigImage record = editedRecord();
    ASSERT_TRUE(e.session.requestConfigWrite(record));
    EXPECT_EQ(e.result(P::ConfigWriteEnded), 1);
    EXPECT_EQ(asRecord(e.model.configImage()), record);
    EXPECT_EQ(e.result(P::ResetSent), 0);
    EXPECT_EQ(e.result(P::RestartLoader), 0);
    EXPECT_EQ(e.result(P::RestartCode), 0);
    const std::optional<OperationResult> write = e.ended(OperationKind::ConfigWrite);
    ASSERT_TRUE(write);
    EXPECT_EQ(write->outcome, Outcome::Done);
    EXPECT_TRUE(write->written);
    EXPECT_EQ(write->readBack, ReadBack::NotAsked);
    ASSERT_TRUE(e.settle());
    EXPECT_EQ(e.session.state(), SessionState::Ready);
    EXPECT_GE(e.model.framesReceived(RequestKind::LoaderAck), 1u);
    EXPECT_GE(e.model.framesReceived(RequestKind::CodeAck), 1u);
    if (!badLine) { // reported once while the loader runs, so a bad line may lose it
        EXPECT_EQ(e.session.activePartition(), 1);
    }
    EXPECT_EQ(e.session.firmwareVersion(), "2.14");
}

void flashLoadingByUser(EndToEnd& e, TempDir& dir, bool) {
    const Bytes firmware = FlashStore::makeFirmwareImage(3000, "3.00");
    const std::string path = dir.file("firmware.bin");
    writeFile(path, firmware);
    ASSERT_TRUE(e.session.startFlashLoading(path));
    EXPECT_EQ(e.result(P::FlashLoadEnded), 1);
    EXPECT_EQ(e.model.flashImage(), padded(firmware));
    // The converter restarts into the new firmware.
    EXPECT_EQ(e.result(P::RestartCode), 0);
    ASSERT_TRUE(e.settle());
    EXPECT_EQ(e.session.firmwareVersion(), "3.00");
    EXPECT_EQ(e.session.state(), SessionState::Ready);
}

void flashLoadingByConverter(EndToEnd& e, TempDir& dir, bool) {
    const Bytes firmware = FlashStore::makeFirmwareImage(2000, "3.01");
    const std::string path = dir.file("firmware.bin");
    writeFile(path, firmware);
    e.model.setFirmwareMissing(true);
    ASSERT_TRUE(e.session.requestReset());
    EXPECT_EQ(e.result(P::LoaderWaitsForFirmware), 0);
    // The session has asked to start loading; the user chooses the file meanwhile.
    ASSERT_TRUE(e.runUntil([&] { return e.session.state() == SessionState::FlashLoading; }));
    ASSERT_TRUE(e.session.supplyFirmware(path));
    EXPECT_EQ(e.result(P::FlashLoadEnded), 1);
    EXPECT_EQ(e.model.flashImage(), padded(firmware));
    EXPECT_EQ(e.result(P::RestartCode), 0);
    ASSERT_TRUE(e.settle());
    EXPECT_FALSE(e.model.firmwareMissing());
    EXPECT_EQ(e.session.firmwareVersion(), "3.01");
    EXPECT_EQ(e.reports(P::LoaderWaitsForFirmware), 1);
}

void flashLoadingCancelled(EndToEnd& e, TempDir& dir, bool) {
    const Bytes before = e.model.flashImage();
    const std::string path = dir.file("firmware.bin");
    writeFile(path, FlashStore::makeFirmwareImage(6000, "3.02"));
    ASSERT_TRUE(e.session.startFlashLoading(path));
    ASSERT_TRUE(e.runUntil([&] { return e.reports(P::FlashChunkSent) >= 4; }));
    e.session.cancel();
    EXPECT_EQ(e.result(P::FlashLoadEnded), result::Cancelled);
    EXPECT_FALSE(e.model.flashLoading());
    EXPECT_EQ(e.model.flashImage(), before);
    e.run(10000);
    EXPECT_EQ(e.reports(P::RestartLoader), 0) << "a cancelled loading restarts nothing";
}

void flashDownloading(EndToEnd& e, TempDir& dir, bool) {
    const std::string path = dir.file("image.bin");
    ASSERT_EQ(e.session.startFlashDownloading(path), DeviceSession::DownloadStart::Started);
    EXPECT_EQ(e.result(P::FlashReadEnded), 1);
    EXPECT_EQ(readFile(path), e.model.flashImage());
}

void monitoring(EndToEnd& e, TempDir&, bool badLine) {
    ASSERT_TRUE(e.session.requestMonitor(true));
    EXPECT_EQ(e.result(P::MonitorEnded), 1);
    // What the pane sends as soon as monitoring runs: the check-box mask.
    ASSERT_TRUE(e.session.requestMonitorText("V=11\r\n"));
    EXPECT_EQ(e.result(P::MonitorEnded), 1);
    EXPECT_EQ(e.model.monitorMask(), 0x11);
    e.run(6000);
    if (!badLine) {
        EXPECT_NE(e.pane.shown.find("V=11\r\n"), std::string::npos) << "the command is echoed";
    }
    EXPECT_NE(e.pane.shown.find("mask=11"), std::string::npos) << e.pane.shown;

    ASSERT_TRUE(e.session.requestMonitor(false));
    EXPECT_EQ(e.result(P::MonitorEnded), 1);
    ASSERT_FALSE(e.pane.monitoringCalls.empty());
    EXPECT_TRUE(e.pane.monitoringCalls.front());
    EXPECT_FALSE(e.pane.monitoringCalls.back());
    EXPECT_FALSE(e.model.monitoring());
    const std::string shown = e.pane.shown;
    e.run(5000);
    EXPECT_EQ(e.pane.shown, shown) << "no text once monitoring is off";
}

void passwordChange(EndToEnd& e, TempDir&, bool) {
    e.model.setPassword("old");
    e.session.setAccessPassword("old");
    ASSERT_TRUE(e.session.requestPasswordChange("new", "wrong"));
    EXPECT_EQ(e.result(P::PasswordChangeEnded), result::PasswordRefused);
    EXPECT_EQ(e.model.password(), "old");
    EXPECT_EQ(e.session.accessPassword(), "old");

    ASSERT_TRUE(e.session.requestPasswordChange("new", "old"));
    EXPECT_EQ(e.result(P::PasswordChangeEnded), 1);
    EXPECT_EQ(e.model.password(), "new");
    EXPECT_EQ(e.session.accessPassword(), "new");

    ASSERT_TRUE(e.session.requestPasswordChange("", "new"));
    EXPECT_EQ(e.result(P::PasswordChangeEnded), 1);
    EXPECT_EQ(e.model.password(), "") << "back to no password";
    EXPECT_EQ(e.host.count(P::PasswordChangeEnded, result::PasswordRefused), 1);
}

void passwordQuestion(EndToEnd& e, TempDir&, bool) {
    e.model.setPassword("pw");
    e.host.passwordEntries = {"pw"};
    ASSERT_TRUE(e.session.requestConfigRead());
    EXPECT_EQ(e.result(P::ConfigReadEnded), 1);
    EXPECT_EQ(e.session.accessPassword(), "pw");
    EXPECT_EQ(readResult(e), asRecord(e.model.configImage()));
}

// The write reads the configuration back and finds it identical.
void writeWithReadBack(EndToEnd& e, TempDir&, bool) {
    const vandrel::ConfigImage record = editedRecord();
    ASSERT_TRUE(e.session.requestConfigWrite(record, true));
    const std::optional<OperationResult> write = e.ended(OperationKind::ConfigWrite);
    ASSERT_TRUE(write);
    EXPECT_EQ(write->outcome, Outcome::Done);
    EXPECT_EQ(write->readBack, ReadBack::Identical);
    EXPECT_EQ(write->config, record);
    EXPECT_EQ(e.reports(P::ConfigReadEnded), 0) << "the read-back is the write's own";
}

const Flow kFlows[] = {
    {"Read", readConfiguration},
    {"WriteThenReset", writeThenReset},
    {"WriteWithReadBack", writeWithReadBack},
    {"FlashLoadingByUser", flashLoadingByUser},
    {"FlashLoadingByConverter", flashLoadingByConverter},
    {"FlashLoadingCancelled", flashLoadingCancelled},
    {"FlashDownloading", flashDownloading},
    {"Monitoring", monitoring},
    {"PasswordChange", passwordChange},
    {"PasswordQuestion", passwordQuestion},
};

class FlowTest : public ::testing::TestWithParam<std::tuple<Flow, bool>> {};

TEST_P(FlowTest, CompletesEndToEnd) {
    const auto [flow, badLine] = GetParam();
    TempDir dir;
    EndToEnd e(deviceSettings(), FaultSettings{badLine ? kBadLine : kCleanLine, {}});
    flow.run(e, dir, badLine);
    if (HasFailure()) {
        for (std::size_t i = 0; i < e.trace.lines.size(); ++i) {
            std::printf("%s\n", e.trace.lines[i].c_str());
        }
        for (const auto& d : e.trace.dumps) {
            std::printf("%s\n", d.c_str());
        }
    }
    EXPECT_NE(e.session.state(), SessionState::Failed);
    EXPECT_EQ(e.reports(P::GaveUp), 0);
    if (badLine) {
        const WireLink& link = e.model.link();
        EXPECT_GT(link.framesLostIn() + link.framesLostOut() + link.framesCorrupted(), 0u)
            << "the line did damage something; frames delivered " << link.framesDelivered()
            << ", sent " << link.framesSent();
    }
}

INSTANTIATE_TEST_SUITE_P(Flows, FlowTest,
                         ::testing::Combine(::testing::ValuesIn(kFlows), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_BadLine" : "_CleanLine");
                         });

// Every operation that carries the password meets a converter whose password the session does
// not know: the user is asked, and either enters it or cancels.
struct QuestionCase {
    const char* name;
    SessionProgress code;
    std::function<bool(EndToEnd&, TempDir&)> start;
    SessionProgress successCode;
    int successValue;
};

void PrintTo(const QuestionCase& c, std::ostream* out) {
    *out << c.name;
}

class PasswordQuestionTest : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(PasswordQuestionTest, EntryGoesOnAndCancelEnds) {
    const QuestionCase& c = GetParam();
    for (const bool enter : {true, false}) {
        TempDir dir;
        EndToEnd e(deviceSettings());
        e.model.setPassword("pw");
        if (enter) {
            e.host.passwordEntries = {"pw"};
        }
        ASSERT_TRUE(c.start(e, dir));
        if (enter) {
            EXPECT_EQ(e.result(c.successCode), c.successValue) << "entered";
            EXPECT_EQ(e.session.accessPassword(), "pw");
        } else {
            EXPECT_TRUE(e.runUntil([&] {
                return e.host.count(c.code, result::PasswordCancelled) == 1;
            })) << "cancelled";
            e.run(20000);
            EXPECT_EQ(e.reports(P::GaveUp), 0);
            EXPECT_EQ(e.session.timerId(), 0u) << "nothing is left waiting";
        }
        EXPECT_EQ(e.host.passwordQuestions, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Operations, PasswordQuestionTest,
    ::testing::Values(
        QuestionCase{"ConfigRead", P::ConfigReadEnded,
                     [](EndToEnd& e, TempDir&) { return e.session.requestConfigRead(); },
                     P::ConfigReadEnded, 1},
        QuestionCase{
            "ConfigWrite", P::ConfigWriteEnded,
            [](EndToEnd& e, TempDir&) { return e.session.requestConfigWrite(editedRecord()); },
            P::ConfigWriteEnded, 1},
        QuestionCase{"Reset", P::ResetSent,
                     [](EndToEnd& e, TempDir&) { return e.session.requestReset(); }, P::RestartCode,
                     0},
        QuestionCase{"FlashStart", P::FlashLoadEnded,
                     [](EndToEnd& e, TempDir& dir) {
                         writeFile(dir.file("fw.bin"), FlashStore::makeFirmwareImage(500, "4"));
                         return e.session.startFlashLoading(dir.file("fw.bin"));
                     },
                     P::FlashLoadEnded, 1},
        QuestionCase{"FlashReadStart", P::FlashReadEnded,
                     [](EndToEnd& e, TempDir& dir) {
                         return e.session.startFlashDownloading(dir.file("image.bin")) ==
                                DeviceSession::DownloadStart::Started;
                     },
                     P::FlashReadEnded, 1},
        QuestionCase{"MonitorCommand", P::MonitorEnded,
                     [](EndToEnd& e, TempDir&) { return e.session.requestMonitorText("V=01\r\n"); },
                     P::MonitorEnded, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// An acknowledgement lost or damaged on its way back makes the session send the same chunk
// again; the converter must take it at the same address, so its image is the file exactly.
TEST(EndToEndFlash, LostAcknowledgementsNeitherDuplicateNorShiftData) {
    const LineFaults lines[] = {{.dropOutEvery = 2}, {.corruptOutEvery = 2}, {.dropInEvery = 3}};
    for (const LineFaults& line : lines) {
        TempDir dir;
        EndToEnd e(deviceSettings(), FaultSettings{line, {}});
        const Bytes firmware = FlashStore::makeFirmwareImage(4000, "5.00");
        writeFile(dir.file("fw.bin"), firmware);
        ASSERT_TRUE(e.session.startFlashLoading(dir.file("fw.bin")));
        EXPECT_EQ(e.result(P::FlashLoadEnded), 1);
        EXPECT_EQ(e.model.flashImage(), padded(firmware));
        EXPECT_GT(e.sentWith(0x22), 32u) << "chunks were repeated";
    }
}

// A converter that answers one request just after the engine's time-out: its answer crosses the
// re-send, and the answer to the re-send follows. The first answer completes the step, the
// second names a step no longer outstanding and changes nothing; every byte lands once, in place.
struct LateCase {
    const char* name;
    LateAnswer late;
    // Runs the operation to its end; the frames the engine sent by then.
    std::size_t (*run)(EndToEnd& e, TempDir& dir);
    std::size_t framesSent;
    std::uint8_t repeatedTag; // the step that went out once more than it needed to
    std::size_t repeatedSends;
};

void PrintTo(const LateCase& c, std::ostream* out) {
    *out << c.name;
}

std::size_t lateRead(EndToEnd& e, TempDir&) {
    EXPECT_TRUE(e.session.requestConfigRead());
    EXPECT_EQ(e.result(P::ConfigReadEnded), 1);
    EXPECT_EQ(readResult(e), asRecord(e.model.configImage()));
    return e.sent.size();
}

std::size_t lateWrite(EndToEnd& e, TempDir&) {
    const vandrel::ConfigImage record = editedRecord();
    EXPECT_TRUE(e.session.requestConfigWrite(record));
    EXPECT_EQ(e.result(P::ConfigWriteEnded), 1);
    EXPECT_EQ(asRecord(e.model.configImage()), record);
    const std::size_t sent = e.sent.size();
    EXPECT_TRUE(e.ended(OperationKind::ConfigWrite)) << "and the reset that follows";
    return sent;
}

std::size_t lateLoading(EndToEnd& e, TempDir& dir) {
    const Bytes firmware = FlashStore::makeFirmwareImage(8 * 128, "7.00");
    writeFile(dir.file("fw.bin"), firmware);
    EXPECT_TRUE(e.session.startFlashLoading(dir.file("fw.bin")));
    EXPECT_EQ(e.result(P::FlashLoadEnded), 1);
    const std::size_t sent = e.sent.size();
    EXPECT_EQ(e.model.flashImage(), firmware);
    EXPECT_EQ(e.reports(P::FlashChunkSent), 9) << "eight chunks and the stop, each once";
    return sent;
}

std::size_t lateDownloading(EndToEnd& e, TempDir& dir) {
    e.model.setFlashImage(FlashStore::makeFirmwareImage(8 * 128, "7.01"));
    EXPECT_EQ(e.session.startFlashDownloading(dir.file("image.bin")),
              DeviceSession::DownloadStart::Started);
    EXPECT_EQ(e.result(P::FlashReadEnded), 1);
    EXPECT_EQ(readFile(dir.file("image.bin")), e.model.flashImage());
    return e.sent.size();
}

class LateAnswerTest : public ::testing::TestWithParam<LateCase> {};

TEST_P(LateAnswerTest, NeitherRepeatsNorShiftsAnything) {
    const LateCase& c = GetParam();
    TempDir dir;
    ModelSettings settings = deviceSettings();
    settings.echoConfigAddress = true;
    EndToEnd e(settings, FaultSettings{{}, {}, {c.late}});
    e.session.setTrace(&e.trace);
    EXPECT_EQ(c.run(e, dir), c.framesSent);
    EXPECT_EQ(e.sentWith(c.repeatedTag), c.repeatedSends);
    EXPECT_EQ(e.reports(P::GaveUp), 0);
    EXPECT_NE(std::find_if(e.trace.lines.begin(), e.trace.lines.end(),
                           [](const std::string& l) { return l.starts_with("Stale answer"); }),
              e.trace.lines.end())
        << "the crossing answer was seen";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LateAnswerTest,
    ::testing::Values(
        // Five packets, packet 2 once more, then the system information.
        LateCase{"ConfigRead", {RequestKind::ConfigRead, 3}, lateRead, 7, 0x42, 6},
        // Five packets, packet 2 once more, then the reset.
        LateCase{"ConfigWrite", {RequestKind::ConfigWrite, 3}, lateWrite, 7, 0x41, 6},
        // The start, eight chunks, chunk 3 once more, the stop.
        LateCase{"ChunkAcknowledgement", {RequestKind::FlashChunk, 3}, lateLoading, 11, 0x22, 9},
        // The start and eight blocks, block 3 once more.
        LateCase{"FlashBlock", {RequestKind::FlashRead, 3}, lateDownloading, 10, 0x46, 9}),
    [](const auto& info) { return std::string(info.param.name); });

// FLASH loading that the converter's loader asks for sends nothing until the host hands over the
// file the user confirmed for it, whatever an earlier operation left behind.
struct LeftoverCase {
    const char* name;
    void (*before)(EndToEnd& e, TempDir& dir);
};

void PrintTo(const LeftoverCase& c, std::ostream* out) {
    *out << c.name;
}

void restartWantingFirmware(EndToEnd& e) {
    e.model.setFirmwareMissing(true);
    e.model.restart();
}

const LeftoverCase kLeftovers[] = {
    {"AfterAFinishedDownload",
     [](EndToEnd& e, TempDir& dir) {
         ASSERT_EQ(e.session.startFlashDownloading(dir.file("image.bin")),
                   DeviceSession::DownloadStart::Started);
         ASSERT_EQ(e.result(P::FlashReadEnded), 1);
     }},
    {"AfterAFinishedLoading",
     [](EndToEnd& e, TempDir& dir) {
         writeFile(dir.file("old.bin"), FlashStore::makeFirmwareImage(1000, "old"));
         ASSERT_TRUE(e.session.startFlashLoading(dir.file("old.bin")));
         ASSERT_EQ(e.result(P::FlashLoadEnded), 1);
         ASSERT_TRUE(e.settle());
     }},
    {"AfterACancelledLoading",
     [](EndToEnd& e, TempDir& dir) {
         writeFile(dir.file("old.bin"), FlashStore::makeFirmwareImage(4000, "old"));
         ASSERT_TRUE(e.session.startFlashLoading(dir.file("old.bin")));
         ASSERT_TRUE(e.runUntil([&] { return e.reports(P::FlashChunkSent) >= 2; }));
         e.session.cancel();
         ASSERT_EQ(e.result(P::FlashLoadEnded), result::Cancelled);
     }},
    {"AfterARefusedStart",
     [](EndToEnd& e, TempDir& dir) {
         writeFile(dir.file("old.bin"), FlashStore::makeFirmwareImage(1000, "old"));
         e.model.setFaults({{}, {{RequestKind::FlashStart, 0x42, 4}}});
         ASSERT_TRUE(e.session.startFlashLoading(dir.file("old.bin")));
         ASSERT_EQ(e.result(P::FlashLoadEnded), result::Failed);
         e.model.setFaults({});
     }},
    // The host had no file for the loader: none chosen, or one the header check rejected or the
    // user declined.
    {"AfterADeclinedFile",
     [](EndToEnd& e, TempDir&) {
         restartWantingFirmware(e);
         ASSERT_EQ(e.result(P::LoaderWaitsForFirmware), 0);
         e.session.declineFirmware();
         ASSERT_EQ(e.result(P::FlashLoadEnded), result::Cancelled);
     }},
};

class LeftoverPathTest : public ::testing::TestWithParam<LeftoverCase> {};

TEST_P(LeftoverPathTest, LoaderGetsOnlyTheFileHandedOver) {
    TempDir dir;
    EndToEnd e(deviceSettings());
    GetParam().before(e, dir);
    ASSERT_FALSE(HasFatalFailure());
    const std::size_t chunksBefore = e.sentWith(0x22);

    restartWantingFirmware(e);
    ASSERT_EQ(e.result(P::LoaderWaitsForFirmware), 0);
    e.run(30000); // the user takes time to choose
    EXPECT_EQ(e.session.state(), SessionState::FlashLoading) << "the converter took the start";
    EXPECT_TRUE(e.session.awaitingFirmware());
    EXPECT_EQ(e.sentWith(0x22), chunksBefore) << "no chunk before the file is handed over";
    EXPECT_EQ(e.reports(P::GaveUp), 0);

    const Bytes firmware = FlashStore::makeFirmwareImage(1500, "new");
    writeFile(dir.file("new.bin"), firmware);
    ASSERT_TRUE(e.session.supplyFirmware(dir.file("new.bin")));
    EXPECT_EQ(e.result(P::FlashLoadEnded), 1);
    EXPECT_EQ(e.model.flashImage(), padded(firmware));
    EXPECT_EQ(e.sentWith(0x22) - chunksBefore, 12u);
}

INSTANTIATE_TEST_SUITE_P(Operations, LeftoverPathTest, ::testing::ValuesIn(kLeftovers),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever bytes a configuration or a firmware image holds, they arrive unchanged both ways.
TEST(EndToEndBytes, EveryValueAndTheFramingBytesSurviveTheRoundTrip) {
    vandrel::ConfigImage record{};
    for (std::size_t i = 0; i < 256; ++i) {
        record[i] = static_cast<std::uint8_t>(i); // every value, in packets 0 and 1
    }
    const Bytes edges = {0x7E, 0x7A, 0xCD};
    for (std::size_t packet = 2; packet < 5; ++packet) {
        // Flag or escape first and last in the packet, and all three side by side in between.
        const std::size_t at = packet * 128;
        std::fill_n(record.begin() + at, 128, 0x55);
        record[at] = edges[packet - 2];
        record[at + 127] = edges[packet - 2];
        const Bytes run = {0x7E, 0x7E, 0x7A, 0x7A, 0xCD, 0xCD, 0x7E, 0xCD, 0x01,
                           0xCD, 0x10, 0x7A, 0x01, 0x10, 0xCD, 0x7E, 0x7A};
        std::copy(run.begin(), run.end(), record.begin() + at + 10);
    }
    std::fill_n(record.begin() + 558, 32, 0x00); // the empty access password, stamped
    Bytes firmware = FlashStore::makeFirmwareImage(1024, "6");
    for (std::size_t i = 512; i < 768; ++i) {
        firmware[i] = static_cast<std::uint8_t>(i - 512);
    }
    std::fill(firmware.begin() + 768, firmware.begin() + 896, 0x7E); // a chunk of one value
    firmware.back() = 0xCD;

    for (const LineFaults& line : {kCleanLine, kBadLine}) {
        TempDir dir;
        EndToEnd e(deviceSettings(), FaultSettings{line, {}});
        ASSERT_TRUE(e.session.requestConfigWrite(record));
        ASSERT_EQ(e.result(P::ConfigWriteEnded), 1);
        EXPECT_EQ(asRecord(e.model.configImage()), record);
        ASSERT_TRUE(e.ended(OperationKind::ConfigWrite));
        ASSERT_TRUE(e.settle());
        ASSERT_TRUE(e.session.requestConfigRead());
        ASSERT_EQ(e.result(P::ConfigReadEnded), 1);
        EXPECT_EQ(readResult(e), record);

        writeFile(dir.file("fw.bin"), firmware);
        ASSERT_TRUE(e.session.startFlashLoading(dir.file("fw.bin")));
        ASSERT_EQ(e.result(P::FlashLoadEnded), 1);
        ASSERT_TRUE(e.settle());
        EXPECT_EQ(e.model.flashImage(), firmware);
        ASSERT_EQ(e.session.startFlashDownloading(dir.file("image.bin")),
                  DeviceSession::DownloadStart::Started);
        ASSERT_EQ(e.result(P::FlashReadEnded), 1);
        EXPECT_EQ(readFile(dir.file("image.bin")), firmware);
    }
}

} // namespace
} // namespace vandrel::sim
