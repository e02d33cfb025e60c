#include "HostEnd.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vandrel::sim {
namespace {

using testing::address;
using testing::Bytes;
using testing::HostEnd;
using testing::pw;
using testing::text;
using testing::withChecksum;

constexpr std::uint32_t kPacket0 = 0x038000;
constexpr std::uint32_t kPacket4 = 0x038200;

ModelSettings smallSettings() {
    ModelSettings s;
    s.firmwareVersion = "F1";
    s.loaderVersion = "L1";
    s.partition = 2;
    s.flash = FlashStore::makeFirmwareImage(1024, "F1");
    return s;
}

struct Fixture {
    explicit Fixture(ModelSettings s = smallSettings()) : model(std::move(s)), host(model) {}
    ConverterModel model;
    HostEnd host;
};

// Factory packet 4 (record offsets 512..639): the erased password and the four values behind it.
Bytes factoryPacket4() {
    Bytes p(128, 0x00);
    std::fill(p.begin() + 46, p.begin() + 78, 0xFF);
    p[78] = 4;
    p[79] = 20;
    p[80] = 3;
    p[81] = 4;
    return p;
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct AnswerCase {
    const char* name;
    testing::Fields request;
    Bytes expected; // without checksum
};

class AnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerTest, AnswersByteExact) {
    Fixture f;
    const AnswerCase& c = GetParam();
    const auto frames = f.host.exchange(c.request);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front(), withChecksum(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, AnswerTest,
    ::testing::Values(
        AnswerCase{"SystemInfo",
                   {{0x15, {}}},
                   {0xA2, 0x0B, 0x15, 0x02, 'F', '1', 0x16, 0x02, 'L', '1', 0x51, 0x01, 0x02}},
        AnswerCase{"MonitorOn", {{0x31, {}}}, {0xA2, 0x02, 0x31, 0x00}},
        AnswerCase{"MonitorOff", {{0x32, {}}}, {0xA2, 0x02, 0x32, 0x00}},
        AnswerCase{"ConfigReadLastPacket",
                   {{0x42, {}}, {0x46, address(kPacket4)}, {0x88, pw("")}},
                   concat({0xA2, 0x82, 0x42, 0x80}, factoryPacket4())},
        AnswerCase{"ConfigReadBadAddress",
                   {{0x42, {}}, {0x46, address(kPacket0 + 0x40)}, {0x88, pw("")}},
                   {0xA3, 0x03, 0x71, 0x01, 0x02}},
        AnswerCase{"ConfigWrite",
                   {{0x41, Bytes(128, 0x11)}, {0x46, address(kPacket0 + 0x80)}, {0x88, pw("")}},
                   {0xA2, 0x02, 0x41, 0x00}},
        AnswerCase{"ConfigWriteShortPacket",
                   {{0x41, Bytes(127, 0x11)}, {0x46, address(kPacket0)}, {0x88, pw("")}},
                   {0xA3, 0x03, 0x71, 0x01, 0x02}},
        AnswerCase{"FlashReadStartNamesLastBlock",
                   {{0x24, {}}, {0x88, pw("")}},
                   {0xA2, 0x05, 0x24, 0x03, 0x00, 0x03, 0x80}},
        AnswerCase{"FlashReadErasedBlockInOneByte",
                   {{0x42, {}}, {0x46, address(0x000180)}},
                   {0xA2, 0x08, 0x42, 0x01, 0xFF, 0x46, 0x03, 0x00, 0x01, 0x80}},
        AnswerCase{"FlashReadPastEndIsErased",
                   {{0x42, {}}, {0x46, address(0x010000)}},
                   {0xA2, 0x08, 0x42, 0x01, 0xFF, 0x46, 0x03, 0x01, 0x00, 0x00}},
        AnswerCase{"FlashStart", {{0x21, {0x01}}, {0x88, pw("")}}, {0xA2, 0x02, 0x21, 0x00}},
        AnswerCase{"FlashChunkWithoutStart",
                   {{0x22, {0x00}}, {0x26, address(0)}},
                   {0xA3, 0x03, 0x71, 0x01, 0x03}},
        AnswerCase{"FlashStopWithoutStart", {{0x29, {}}}, {0xA3, 0x03, 0x71, 0x01, 0x03}},
        AnswerCase{"FlashCancelWithoutLoading", {{0x27, {}}}, {0xA2, 0x02, 0x27, 0x00}},
        AnswerCase{"Reset", {{0x81, {}}, {0x88, pw("")}}, {0xA2, 0x02, 0x81, 0x00}},
        AnswerCase{"PasswordChange", {{0x28, pw("new")}, {0x88, pw("")}}, {0xA2, 0x02, 0x28, 0x00}},
        AnswerCase{"PasswordTooLong",
                   {{0x28, pw(std::string(33, 'x'))}, {0x88, pw("")}},
                   {0xA3, 0x03, 0x71, 0x01, 0x02}},
        AnswerCase{"MonitorCommandWhileOff",
                   {{0x33, text("V=11\r\n")}, {0x88, pw("")}},
                   {0xA2, 0x02, 0x33, 0x00}},
        AnswerCase{"UnknownRequest", {{0x99, {}}}, {0xA3, 0x03, 0x71, 0x01, 0x01}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConverterModel, ConfigurationPacketsRoundTripAtTheirAddresses) {
    Fixture f;
    // Factory packet 0 carries the tag most significant byte first, then the language name.
    auto first = f.host.exchange({{0x42, {}}, {0x46, address(kPacket0)}, {0x88, pw("")}});
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(Bytes(first[0].begin() + 4, first[0].begin() + 13),
              (Bytes{0x18, 0x62, 'E', 'n', 'g', 'l', 'i', 's', 'h'}));

    Bytes image(640);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    for (std::uint32_t n = 0; n < 5; ++n) {
        const Bytes packet(image.begin() + n * 128, image.begin() + (n + 1) * 128);
        auto answer =
            f.host.exchange({{0x41, packet}, {0x46, address(kPacket0 + n * 128)}, {0x88, pw("")}});
        ASSERT_EQ(answer.size(), 1u);
        EXPECT_EQ(answer[0][0], 0xA2) << "packet " << n;
    }
    EXPECT_TRUE(std::equal(image.begin(), image.end(), f.model.configImage().begin()));
    for (std::uint32_t n = 0; n < 5; ++n) {
        auto answer = f.host.exchange(
            {{0x42, {}}, {0x46, address(kPacket0 + n * 128)}, {0x88, pw(f.model.password())}});
        ASSERT_EQ(answer.size(), 1u);
        EXPECT_EQ(Bytes(answer[0].begin() + 4, answer[0].end() - 1),
                  Bytes(image.begin() + n * 128, image.begin() + (n + 1) * 128))
            << "packet " << n;
    }
}

// Protected requests, built with the given password field (none when null).
struct ProtectedCase {
    const char* name;
    testing::Fields fields;
    // A configuration read without the password field is a FLASH block read.
    bool fieldMakesTheKind = false;
};

testing::Fields withPassword(testing::Fields fields, const char* password) {
    if (password != nullptr) {
        fields.push_back({0x88, pw(password)});
    }
    return fields;
}

class PasswordTest : public ::testing::TestWithParam<ProtectedCase> {};

TEST_P(PasswordTest, ProtectedRequestsNeedTheAccessPassword) {
    for (const char* given : {static_cast<const char*>(nullptr), "wrong", "", "secre"}) {
        if (given == nullptr && GetParam().fieldMakesTheKind) {
            continue;
        }
        Fixture f;
        f.model.setPassword("secret");
        auto answers = f.host.exchange(withPassword(GetParam().fields, given));
        ASSERT_FALSE(answers.empty());
        EXPECT_EQ(answers.front(), withChecksum({0xA3, 0x03, 0x71, 0x01, 0x9E}))
            << (given ? given : "(no field)");
    }
    Fixture f;
    f.model.setPassword("secret");
    auto answers = f.host.exchange(withPassword(GetParam().fields, "secret"));
    ASSERT_FALSE(answers.empty());
    EXPECT_EQ(answers.front()[0], 0xA2);
}

INSTANTIATE_TEST_SUITE_P(
    Protected, PasswordTest,
    ::testing::Values(ProtectedCase{"Reset", {{0x81, {}}}},
                      ProtectedCase{"ConfigRead", {{0x42, {}}, {0x46, address(kPacket0)}}, true},
                      ProtectedCase{"ConfigWrite",
                                    {{0x41, Bytes(128, 1)}, {0x46, address(kPacket0)}}},
                      ProtectedCase{"FlashStart", {{0x21, {1}}}},
                      ProtectedCase{"FlashReadStart", {{0x24, {}}}},
                      ProtectedCase{"MonitorCommand", {{0x33, text("x\r\n")}}},
                      ProtectedCase{"PasswordChange", {{0x28, pw("next")}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConverterModel, UnprotectedRequestsPassWithoutPassword) {
    Fixture f;
    f.model.setPassword("secret");
    for (const testing::Fields& fields :
         {testing::Fields{{0x15, {}}}, testing::Fields{{0x31, {}}}, testing::Fields{{0x32, {}}},
          testing::Fields{{0x42, {}}, {0x46, address(0)}}}) {
        auto answers = f.host.exchange(fields);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0][0], 0xA2) << "tag " << int(fields[0].tag);
    }
}

TEST(ConverterModel, PasswordChangeNeedsTheCurrentPasswordAndLandsInTheConfiguration) {
    Fixture f;
    f.model.setPassword("old");
    auto refused = f.host.exchange({{0x28, pw("new")}, {0x88, pw("bad")}});
    EXPECT_EQ(refused, std::vector<Bytes>{withChecksum({0xA3, 0x03, 0x71, 0x01, 0x9E})});
    EXPECT_EQ(f.model.password(), "old");

    auto taken = f.host.exchange({{0x28, pw("new")}, {0x88, pw("old")}});
    EXPECT_EQ(taken, std::vector<Bytes>{withChecksum({0xA2, 0x02, 0x28, 0x00})});
    EXPECT_EQ(f.model.password(), "new");

    // The password field of the configuration now holds it, zero-padded.
    auto packet = f.host.exchange({{0x42, {}}, {0x46, address(kPacket4)}, {0x88, pw("new")}});
    ASSERT_EQ(packet.size(), 1u);
    Bytes field(packet[0].begin() + 4 + 46, packet[0].begin() + 4 + 78);
    Bytes expected(32, 0x00);
    std::copy_n("new", 3, expected.begin());
    EXPECT_EQ(field, expected);
    EXPECT_EQ(f.host.exchange({{0x81, {}}, {0x88, pw("old")}}).at(0),
              withChecksum({0xA3, 0x03, 0x71, 0x01, 0x9E}));
}

TEST(ConverterModel, WrittenConfigurationBringsItsPassword) {
    Fixture f;
    Bytes packet4 = factoryPacket4();
    std::fill(packet4.begin() + 46, packet4.begin() + 78, 0x00);
    std::copy_n("abc", 3, packet4.begin() + 46);
    f.host.exchange({{0x41, packet4}, {0x46, address(kPacket4)}, {0x88, pw("")}});
    EXPECT_EQ(f.model.password(), "abc");
}

} // namespace
} // namespace vandrel::sim
