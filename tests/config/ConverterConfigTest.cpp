#include "config/ConverterConfig.h"
#include "config/CodeField.h"
#include "config/ConfigFields.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vandrel;

namespace {

// Expected non-zero bytes of a default record, at decimal offsets written out independently of
// the offset constants; every byte not listed must be zero.
struct ExpectedBytes {
    std::size_t offset;
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> text(const std::string& s) {
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> counted(const std::string& s) {
    // 20 characters then the count at +20; only the text and the count are non-zero.
    std::vector<std::uint8_t> field(21, 0);
    std::copy(s.begin(), s.end(), field.begin());
    field[20] = static_cast<std::uint8_t>(s.size());
    return field;
}

const std::vector<ExpectedBytes> kDefaultBytes = {
    {0, {0x62, 0x18}},
    {2, text("English")},
    {37, {1, 3}},
    {42, counted("200")},
    {63, counted("201")},
    {84, {0x02, 20, 5}},
    {91, {0x1A}},
    {94, counted("*21*n#,,,")},
    {115, counted("#21#,,,")},
    {136, counted("*67*n#,,,")},
    {157, counted("#67#,,,")},
    {178, counted("*61*n#,,,")},
    {199, counted("#61#,,,")},
    {220, counted("R")},
    {241, counted("R2")},
    {262, counted("R3")},
    {367, counted("R,,,,*37#,,,")},
    {388, counted("*31#")},
    {558, std::vector<std::uint8_t>(32, 0xFF)},
    {590, {4, 20, 3, 4}},
};

ConverterConfig defaults() {
    ConverterConfig record;
    ResetToDefaults(&record);
    return record;
}

} // namespace

TEST(ConverterConfig, DefaultRecordBytes) {
    ConverterConfig record;
    record.bytes.fill(0xA5); // every byte must be set, not just the listed ones
    ResetToDefaults(&record);

    std::vector<std::uint8_t> expected(kConfigSize, 0);
    for (const ExpectedBytes& e : kDefaultBytes) {
        std::copy(e.bytes.begin(), e.bytes.end(), expected.begin() + e.offset);
    }
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        EXPECT_EQ(record.bytes[i], expected[i]) << "offset " << i;
    }
    ResetToDefaults(nullptr); // ignored
}

TEST(ConverterConfig, FieldTableReadsTheDefaults) {
    struct Case {
        const char* name;
        std::size_t offset;
        std::uint32_t number;
        std::string text;
    };
    const Case cases[] = {
        {"tag", 0, 0x1862, ""},
        {"languageName", 2, 0, "English"},
        {"p11Choice", 37, 1, ""},
        {"number1", 42, 0, "200"},
        {"number2Length", 83, 3, ""},
        {"p12Checks", 91, 0x1A, ""},
        {"p21Code2On", 136, 0, "*67*n#,,,"},
        {"p22Code4", 283, 0, ""},
        {"p23Code", 367, 0, "R,,,,*37#,,,"},
        {"p24Code", 388, 0, "*31#"},
        {"enableBits", 556, 0, ""},
        {"password", 558, 0, ""},
        {"p12Value4", 593, 4, ""},
        {"reserved", 600, 0, ""},
    };
    const ConverterConfig record = defaults();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ConfigField* field = FindConfigField(c.name);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->offset, c.offset);
        EXPECT_EQ(FieldNumber(record, *field), c.number);
        EXPECT_EQ(FieldText(record, *field), c.text);
    }
    EXPECT_EQ(FindConfigField("nosuchfield"), nullptr);
}

TEST(ConverterConfig, TextWithoutTerminatorStaysInsideItsField) {
    ConverterConfig record = defaults();
    std::fill_n(record.bytes.begin() + 2, 32, 'x'); // languageName without a NUL
    EXPECT_EQ(FieldText(record, *FindConfigField("languageName")), std::string(32, 'x'));
}

TEST(CodeField, ReadsAtMostTwentyCharacters) {
    struct Case {
        const char* name;
        std::string chars; // first bytes of the field
        std::uint8_t length;
        std::string expected;
    };
    const std::string twenty = "0123456789*#R,012345";
    const Case cases[] = {
        {"empty", "", 0, ""},
        {"short", "*31#", 4, "*31#"},
        {"stale bytes behind the text", "R,,,,*37#,,,", 1, "R"},
        {"full, no terminator", twenty, 20, twenty},
        {"damaged length 21", twenty, 21, twenty},
        {"damaged length 255", twenty, 255, twenty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConverterConfig record = defaults();
        const std::size_t offset = ConfigOffset::p12Code;
        std::copy(c.chars.begin(), c.chars.end(), record.bytes.begin() + offset);
        record.bytes[offset + 20] = c.length;
        EXPECT_EQ(CodeFieldText(record, offset), c.expected);
    }
    // A field that would reach past the record reads as empty.
    EXPECT_EQ(CodeFieldText(defaults(), kConfigSize - 20), "");
}

TEST(CodeField, WritingKeepsTheBytesBehindAndTheNextField) {
    ConverterConfig record = defaults();
    SetCodeFieldText(record, ConfigOffset::p23Code, "R");
    EXPECT_EQ(CodeFieldText(record, ConfigOffset::p23Code), "R");
    const std::string behind(record.bytes.begin() + 368, record.bytes.begin() + 379);
    EXPECT_EQ(behind, ",,,,*37#,,,") << "only the length says where the text ends";

    // 20 characters fill the field: no terminator, the next field starts behind the count.
    const ConverterConfig before = record;
    SetCodeFieldText(record, ConfigOffset::p23Code, "0123456789012345678901234");
    EXPECT_EQ(CodeFieldText(record, ConfigOffset::p23Code), "01234567890123456789");
    EXPECT_EQ(record.bytes[ConfigOffset::p23Code + 20], 20);
    EXPECT_TRUE(std::equal(record.bytes.begin() + ConfigOffset::p24Code, record.bytes.end(),
                           before.bytes.begin() + ConfigOffset::p24Code));
    EXPECT_TRUE(std::equal(record.bytes.begin(), record.bytes.begin() + ConfigOffset::p23Code,
                           before.bytes.begin()));
}
