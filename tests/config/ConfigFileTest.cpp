#include "config/ConfigFile.h"
#include "config/CodeField.h"
#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include "FileSizeLimit.h"
#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vandrel;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A record whose every byte differs from the defaults and from its neighbours.
ConverterConfig patternRecord() {
    ConverterConfig record;
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        record.bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return record;
}

DeviceInfo makeInfo(const std::string& firmware, const std::string& loader, std::uint8_t number) {
    DeviceInfo info;
    SetVersionText(info.firmwareVersion, firmware);
    SetVersionText(info.loaderVersion, loader);
    info.systemInfoNumber = number;
    return info;
}

// The bytes of a file as laid out on disk, built here by hand rather than by the writer.
Bytes fileBytes(std::uint32_t version, const ConverterConfig& record, const DeviceInfo* info) {
    Bytes bytes = {'P', 0, 'C', 0, '-', 0, 'C', 0, 'F', 0, 'G', 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(version >> (8 * i)));
    }
    bytes.insert(bytes.end(), record.bytes.begin(), record.bytes.end());
    if (info != nullptr) {
        const auto* raw = reinterpret_cast<const std::uint8_t*>(info);
        bytes.insert(bytes.end(), raw, raw + kDeviceInfoSize);
    }
    return bytes;
}

Bytes resized(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

// Names in `folder`, sorted.
std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string versionText(const VersionText& text) {
    return VersionTextString(text);
}

} // namespace

TEST(ConfigFileRead, ResultCodes) {
    const ConverterConfig record = patternRecord();
    const DeviceInfo info = makeInfo("fw 2.1", "ld 1.0", 1);
    const Bytes v1 = fileBytes(1, record, nullptr);
    const Bytes v2 = fileBytes(2, record, &info);
    const Bytes v3 = fileBytes(3, record, &info);
    Bytes narrowTag = v3;
    const char ansi[] = "PC-CFG\0\0\0\0\0\0\0";
    std::copy(ansi, ansi + 14, narrowTag.begin());
    Bytes unterminatedTag = v3;
    unterminatedTag[12] = '!';
    Bytes version0x10003 = v3;
    version0x10003[16] = 1;

    struct Case {
        const char* name;
        Bytes bytes;
        int expected;
    };
    const std::vector<Case> cases = {
        {"version 1", v1, kConfigLoaded},
        {"version 2", v2, kConfigLoaded},
        {"version 3", v3, kConfigLoaded},
        {"empty file", {}, kConfigBadTag},
        {"13 bytes of the tag", resized(v3, 13), kConfigBadTag},
        {"single-byte tag", narrowTag, kConfigBadTag},
        {"tag without its terminator", unterminatedTag, kConfigBadTag},
        {"tag only", resized(v3, 14), kConfigShortBlock},
        {"three version bytes", resized(v3, 17), kConfigShortBlock},
        {"version 0", fileBytes(0, record, &info), kConfigBadVersion},
        {"version 4", fileBytes(4, record, &info), kConfigBadVersion},
        {"version 0x10003", version0x10003, kConfigBadVersion},
        {"version 2 of 658 bytes", fileBytes(2, record, nullptr), kConfigBadFileSize},
        {"version 1 of 787 bytes", fileBytes(1, record, &info), kConfigBadFileSize},
        {"version 1 one byte long", resized(v1, 659), kConfigBadFileSize},
        {"version 3 one byte short", resized(v3, 786), kConfigBadFileSize},
        {"version 3 one byte long", resized(v3, 788), kConfigBadFileSize},
        {"version 3 header only", resized(v3, 18), kConfigBadFileSize},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("case.cfg");
        writeBytes(path, c.bytes);
        ConverterConfig out;
        EXPECT_EQ(ReadConfigFile(path, out), c.expected);
    }

    ConverterConfig out;
    EXPECT_EQ(ReadConfigFile(dir.file("missing.cfg"), out), kConfigMissing);
    EXPECT_EQ(ReadConfigFile(dir.path().string(), out), kConfigMissing);
    EXPECT_EQ(ReadConfigFile("", out), kConfigMissing);
}

TEST(ConfigFileRead, OldVersionsAreUpgraded) {
    const DeviceInfo info = makeInfo("FW 3.07", "LDR 1.2", 2);
    struct Case {
        std::uint32_t version;
        std::uint8_t storedValue4;
        bool upgraded;
        std::uint8_t expectedValue4;
    };
    const Case cases[] = {
        {1, 0, true, 4}, {1, 9, true, 4},  {2, 0, true, 4},
        {2, 9, true, 4}, {3, 0, false, 4}, {3, 9, false, 9},
    };
    TempDir dir;
    const std::string path = dir.file("old.cfg");
    for (const Case& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version) + ", p12Value4 " +
                     std::to_string(c.storedValue4));
        ConverterConfig stored = patternRecord();
        stored.bytes[ConfigOffset::p12Value4] = c.storedValue4;
        writeBytes(path, fileBytes(c.version, stored, c.version == 1 ? nullptr : &info));

        ConverterConfig record;
        VersionText firmware{};
        VersionText loader{};
        std::uint8_t number = 0;
        firmware.fill('#');
        loader.fill('#');
        ASSERT_EQ(ReadConfigFile(path, record, &firmware, &loader, &number), kConfigLoaded);

        ConverterConfig expected = stored;
        if (c.upgraded) {
            auto& b = expected.bytes;
            b[91] = 0x1A;
            b[409] = 0;
            b[429] = 0;
            b[430] = 0;
            b[450] = 0;
            const std::uint8_t values[10] = {4, 20, 3, 4, 0, 0, 0, 0, 0, 0};
            std::copy(values, values + 10, b.begin() + 590);
        }
        expected.bytes[593] = c.expectedValue4;
        for (std::size_t i = 0; i < kConfigSize; ++i) {
            ASSERT_EQ(record.bytes[i], expected.bytes[i]) << "offset " << i;
        }
        EXPECT_EQ(CodeFieldText(record, ConfigOffset::p12Code).empty(), c.upgraded);

        const bool v1 = c.version == 1;
        EXPECT_EQ(versionText(firmware), v1 ? "" : "FW 3.07");
        EXPECT_EQ(versionText(loader), v1 ? "" : "LDR 1.2");
        EXPECT_EQ(firmware[63], '\0');
        EXPECT_EQ(number, v1 ? 255 : 2);
    }
}

TEST(ConfigFileRead, VersionTextsWithoutTerminatorAreCutAt63) {
    DeviceInfo info;
    info.firmwareVersion.fill('f');
    info.loaderVersion.fill('l');
    info.systemInfoNumber = 0;
    TempDir dir;
    const std::string path = dir.file("long.cfg");
    writeBytes(path, fileBytes(3, patternRecord(), &info));

    ConverterConfig record;
    VersionText firmware{};
    VersionText loader{};
    ASSERT_EQ(ReadConfigFile(path, record, &firmware, &loader, nullptr), kConfigLoaded);
    EXPECT_EQ(versionText(firmware), std::string(63, 'f'));
    EXPECT_EQ(versionText(loader), std::string(63, 'l'));
    EXPECT_EQ(firmware[63], '\0');
}

TEST(ConfigFileWrite, WriteThenReadGivesTheSameRecord) {
    ConverterConfig defaults;
    ResetToDefaults(&defaults);
    ConverterConfig full = patternRecord();
    full.bytes[ConfigOffset::p12Value4] = 6;
    SetCodeFieldText(full, ConfigOffset::p22Code7, "01234567890123456789");
    DeviceInfo unterminated;
    unterminated.firmwareVersion.fill('v');
    unterminated.systemInfoNumber = 0;

    struct Case {
        const char* name;
        ConverterConfig record;
        DeviceInfo info;
        DeviceInfo expectedInfo;
    };
    const Case cases[] = {
        {"defaults, unknown device", defaults, DeviceInfo{}, DeviceInfo{}},
        {"every byte set", full, makeInfo("1.2.3", "0.9", 1), makeInfo("1.2.3", "0.9", 1)},
        {"unterminated version", full, unterminated, makeInfo(std::string(63, 'v'), "", 0)},
    };
    TempDir dir;
    const std::string path = dir.file("out.cfg");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(WriteConfigFile(path, c.record, c.info), kConfigWritten);

        const Bytes bytes = readBytes(path);
        ASSERT_EQ(bytes.size(), 787u);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 18),
                  Bytes({'P', 0, 'C', 0, '-', 0, 'C', 0, 'F', 0, 'G', 0, 0, 0, 3, 0, 0, 0}));
        EXPECT_EQ(bytes[658 + 63], 0) << "the firmware text is stored terminated";

        ConverterConfig record;
        DeviceInfo info;
        info.systemInfoNumber = 77;
        ASSERT_EQ(ReadConfigFile(path, record, &info.firmwareVersion, &info.loaderVersion,
                                 &info.systemInfoNumber),
                  kConfigLoaded);
        EXPECT_EQ(record.bytes, c.record.bytes);
        EXPECT_EQ(info.firmwareVersion, c.expectedInfo.firmwareVersion);
        EXPECT_EQ(info.loaderVersion, c.expectedInfo.loaderVersion);
        EXPECT_EQ(info.systemInfoNumber, c.expectedInfo.systemInfoNumber);
    }
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"out.cfg"}) << "no temporary left";
}

// A good file must survive every failed write whole, and no temporary file may stay behind.
class ConfigFileWriteFailure : public ::testing::Test {
protected:
    void SetUp() override {
        ResetToDefaults(&good_);
        SetCodeFieldText(good_, ConfigOffset::p23Code, "R,,*37#");
        ASSERT_EQ(WriteConfigFile(goodPath(), good_, makeInfo("good", "file", 1)), kConfigWritten);
        goodBytes_ = readBytes(goodPath());
    }

    std::string goodPath() const { return dir_.file("good.cfg"); }

    void expectGoodFileIntact() {
        EXPECT_EQ(readBytes(goodPath()), goodBytes_);
        ConverterConfig record;
        EXPECT_EQ(ReadConfigFile(goodPath(), record), kConfigLoaded);
        EXPECT_EQ(record.bytes, good_.bytes);
    }

    TempDir dir_;
    ConverterConfig good_;
    Bytes goodBytes_;
};

TEST_F(ConfigFileWriteFailure, TargetsThatCannotBeWritten) {
    const std::string folderTarget = dir_.file("folder.cfg");
    fs::create_directory(folderTarget);
    fs::create_directory(dir_.file("folder.cfg/inside"));
    // A pipe would block a writer that opens it, and a rename would put a file in its place.
    const std::string pipeTarget = dir_.file("pipe.cfg");
    ASSERT_EQ(::mkfifo(pipeTarget.c_str(), 0600), 0);
    const std::string targets[] = {folderTarget, pipeTarget, dir_.file("no/such/folder/x.cfg"), ""};
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        EXPECT_EQ(WriteConfigFile(target, patternRecord(), DeviceInfo{}), kConfigWriteFailed);
    }
    EXPECT_TRUE(fs::is_directory(dir_.file("folder.cfg/inside")));
    EXPECT_TRUE(fs::is_fifo(pipeTarget));
    EXPECT_EQ(entries(dir_.path()),
              (std::vector<std::string>{"folder.cfg", "good.cfg", "pipe.cfg"}));
    expectGoodFileIntact();
}

TEST_F(ConfigFileWriteFailure, DiskFullHalfWay) {
    // A file size limit makes the write stop after 500 bytes, as a full disk would.
    int result = 0;
    {
        const FileSizeLimit limit(500);
        ASSERT_TRUE(limit.active());
        result = WriteConfigFile(goodPath(), patternRecord(), DeviceInfo{});
    }
    EXPECT_EQ(result, kConfigWriteFailed);
    EXPECT_EQ(entries(dir_.path()), std::vector<std::string>{"good.cfg"});
    expectGoodFileIntact();
}

TEST(ConfigFileRead, DamagedFilesNeverCrash) {
    TempDir dir;
    const std::string path = dir.file("random.cfg");
    std::mt19937 random(20240611);
    const Bytes header = fileBytes(3, patternRecord(), nullptr);
    for (int round = 0; round < 300; ++round) {
        const std::size_t sizes[] = {0, 7, 14, 18, 500, 658, 787, 800};
        Bytes bytes(sizes[round % 8]);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(random());
        }
        // Most rounds carry a good tag and a plausible version, so the deeper steps are reached.
        if (round % 3 != 0) {
            const std::size_t keep = std::min<std::size_t>(bytes.size(), 14);
            std::copy(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(keep),
                      bytes.begin());
            if (bytes.size() >= 18) {
                bytes[14] = static_cast<std::uint8_t>(1 + round % 3);
                std::fill(bytes.begin() + 15, bytes.begin() + 18, 0);
            }
        }
        writeBytes(path, bytes);
        ConverterConfig record;
        DeviceInfo info;
        const int code = ReadConfigFile(path, record, &info.firmwareVersion, &info.loaderVersion,
                                        &info.systemInfoNumber);
        ASSERT_GE(code, kConfigLoaded);
        ASSERT_LE(code, kConfigBadFileSize);
        if (code == kConfigLoaded) {
            EXPECT_EQ(info.firmwareVersion[63], '\0');
            for (std::size_t offset = ConfigOffset::p21Code1On; offset < ConfigOffset::spareCodes;
                 offset += ConfigSize::codeField) {
                EXPECT_LE(CodeFieldText(record, offset).size(), 20u);
            }
        }
    }
}

TEST(ConfigFileRead, OverlongCodeFieldIsShownCutAtTwenty) {
    ConverterConfig stored = patternRecord();
    const std::string chars = "*21*n#,,,0123456789#";
    std::copy(chars.begin(), chars.end(), stored.bytes.begin() + ConfigOffset::p21Code1On);
    stored.bytes[ConfigOffset::p21Code1On + 20] = 200;
    TempDir dir;
    const std::string path = dir.file("long-code.cfg");
    const DeviceInfo info;
    writeBytes(path, fileBytes(3, stored, &info));

    ConverterConfig record;
    ASSERT_EQ(ReadConfigFile(path, record), kConfigLoaded);
    EXPECT_EQ(record.bytes[ConfigOffset::p21Code1On + 20], 200) << "damaged bytes are carried";
    EXPECT_EQ(CodeFieldText(record, ConfigOffset::p21Code1On), chars);
}
