// The comparison of two configurations: which values differ, named and shown as the pages show
// them, what goes apart, and the same set of fields as `vandrelctl config diff` finds.
#include "configview/ConfigComparison.h"
#include "cli/ConfigDiffCommand.h"
#include "cli/ConfigFileCommands.h"
#include "config/CodeField.h"
#include "config/ConfigFields.h"
#include "configview/FieldPresentation.h"
#include "language/LanguageManager.h"

#include "LanguageTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

using namespace vandrel;
using namespace vandrel::test;
using namespace vandrel::ConfigOffset;

namespace {

ConverterConfig defaults() {
    ConverterConfig r;
    ResetToDefaults(&r);
    return r;
}

DeviceInfo info(const char* firmware, const char* loader, std::uint8_t partition) {
    DeviceInfo d;
    SetVersionText(d.firmwareVersion, firmware);
    SetVersionText(d.loaderVersion, loader);
    d.systemInfoNumber = partition;
    return d;
}

struct Row {
    std::string page, label, left, right;
    std::vector<std::string> fields;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << "{" << row.page << " | " << row.label << " | " << row.left << " | " << row.right
         << " |";
    for (const std::string& f : row.fields) {
        *out << " " << f;
    }
    *out << "}";
}

std::vector<Row> rows(const std::vector<ComparisonRow>& list) {
    std::vector<Row> out;
    for (const ComparisonRow& r : list) {
        out.push_back({r.page.toStdString(), r.label.toStdString(), r.left.toStdString(),
                       r.right.toStdString(), r.fields});
    }
    return out;
}

class ConfigComparisonTest : public ::testing::Test {
protected:
    void SetUp() override {
        isolate(language, messages);
        language.setLanguageFolders({shippedLangFolder()});
        ASSERT_TRUE(language.Load(1));
    }

    ConfigComparison compare(const ConverterConfig& a, const ConverterConfig& b,
                             std::optional<DeviceInfo> ia = std::nullopt,
                             std::optional<DeviceInfo> ib = std::nullopt) {
        return CompareConfigurations({a, ia}, {b, ib}, language);
    }

    LanguageManager language;
    MessageLog messages;
};

TEST_F(ConfigComparisonTest, RowsNameThePageTheLabelAndTheValuesAsThePagesShowThem) {
    const ConverterConfig a = defaults();
    ConverterConfig b = a;
    SetCodeFieldText(b, number1, "2001");      // a text
    b.bytes[p12Scaled] = 30;                   // a number shown five times as large
    b.bytes[p12ListIndex] = 2;                 // a list entry
    b.bytes[enableBits] |= EnableBit::p23Code; // a switch
    SetCodeFieldText(b, p24Code, "*31#9");     // a code
    b.bytes[p11Options] |= 0x02;               // a pair of radios
    SetCodeFieldText(b, p22Code4, "R4");       // a code that was empty

    const ConfigComparison c = compare(a, b, info("V2.14", "L1", 255), info("V2.15", "L1", 1));
    const std::vector<Row> expected = {
        {"Analog line", "Line polarity", "Normal", "Reversed", {"p11Options"}},
        {"Numbers and calls", "First number", "200", "2001", {"number1", "number1Length"}},
        {"Numbers and calls", "Flash time (40-1275 ms)", "100", "150", {"p12Scaled"}},
        {"Numbers and calls", "Signal profile", "Profile 6", "Profile 3", {"p12ListIndex"}},
        {"Line services", "Service 4", "(empty)", "R4", {"p22Code4"}},
        {"Callback", "Use callback when busy", "Off", "On", {"enableBits"}},
        {"Number display", "Code", "*31#", "*31#9", {"p24Code"}},
    };
    EXPECT_EQ(rows(c.onPages), expected);
    const std::vector<Row> apart = {
        {"Versions", "Firmware version", "V2.14", "V2.15", {"firmwareVersion"}},
        {"Versions", "FLASH partition", "unknown", "1", {"systemInfoNumber"}},
    };
    EXPECT_EQ(rows(c.apart), apart);
    EXPECT_EQ(c.onPages[1].pageId, 12);
    EXPECT_EQ(c.onPages[1].control.toStdString(), "ctl1000");
    EXPECT_EQ(c.onPages[0].control.toStdString(), "grp840");
    EXPECT_EQ(c.apart[0].pageId, 41);
    EXPECT_EQ(c.recordFields,
              (std::vector<std::string>{"p11Options", "number1", "number1Length", "p12Scaled",
                                        "p12ListIndex", "p22Code4", "p24Code", "enableBits"}));
    EXPECT_EQ(c.differingFields(), 8u);
    EXPECT_FALSE(c.identical());
}

TEST_F(ConfigComparisonTest, ValuesNoControlShowsGoApartAsTheRecordHoldsThem) {
    ConverterConfig a = defaults();
    ConverterConfig b = a;
    b.bytes[p12Flags] ^= 0x04;       // a bit no control shows
    b.bytes[p11Reserved + 1] = 0xA5; // a reserved byte
    a.bytes[p12Scaled] = 3;          // both shown as 40
    b.bytes[p12Scaled] = 5;
    a.bytes[p11Number] = 12;                     // the list's first entry shows the number as 0
    b.bytes[enableBits] = EnableBit::p22Codes37; // the second switch without the first
    b.bytes[password] = 'x';                     // never shown in the window
    const ConfigComparison c = compare(a, b);
    EXPECT_TRUE(c.onPages.empty()) << c.onPages.front().label.toStdString();
    const std::vector<Row> expected = {
        {"Not shown on any page", "p11Number", "12", "0", {"p11Number"}},
        {"Not shown on any page", "p11Reserved", "000000", "00A500", {"p11Reserved"}},
        {"Not shown on any page", "p12Flags", "2", "6", {"p12Flags"}},
        {"Not shown on any page", "p12Scaled", "3", "5", {"p12Scaled"}},
        {"Not shown on any page", "enableBits", "0", "16", {"enableBits"}},
        {"Not shown on any page", "password", "(hidden)", "(hidden)", {"password"}},
    };
    EXPECT_EQ(rows(c.apart), expected);
    for (const ComparisonRow& row : c.apart) {
        EXPECT_EQ(row.pageId, 0);
        EXPECT_TRUE(row.control.isEmpty());
    }
}

TEST_F(ConfigComparisonTest, AFlagByteGoesApartOnlyForTheBitsNoControlShows) {
    const ConverterConfig a = defaults();
    ConverterConfig shownOnly = a;
    shownOnly.bytes[p12Flags] ^= 0x21; // a radio pair and a check box
    ConfigComparison c = compare(a, shownOnly);
    EXPECT_EQ(c.onPages.size(), 2u);
    EXPECT_TRUE(c.apart.empty());

    ConverterConfig both = shownOnly;
    both.bytes[p12Flags] ^= 0x80;
    c = compare(a, both);
    EXPECT_EQ(c.onPages.size(), 2u);
    ASSERT_EQ(c.apart.size(), 1u);
    EXPECT_EQ(c.apart[0].label.toStdString(), "p12Flags");
    EXPECT_EQ(c.differingFields(), 1u);

    // A control that shows differently only because of another field names no field: the
    // number is 12 on both sides, its switch differs.
    ConverterConfig numberOn = a;
    ConverterConfig numberOff = a;
    numberOn.bytes[p11Number] = numberOff.bytes[p11Number] = 12;
    numberOn.bytes[p11Select] = 0x01;
    c = compare(numberOff, numberOn);
    ASSERT_EQ(c.onPages.size(), 2u);
    EXPECT_EQ(rows(c.onPages)[1], (Row{"Analog line", "Value (0-127)", "0", "12", {}}));
    EXPECT_EQ(c.recordFields, std::vector<std::string>{"p11Select"});
}

TEST_F(ConfigComparisonTest, DeviceInformationCountsOnlyWhereBothSidesHaveIt) {
    const ConverterConfig a = defaults();
    const DeviceInfo known = info("V2.14", "L1.0", 1);
    EXPECT_TRUE(compare(a, a, known, std::nullopt).identical());
    EXPECT_TRUE(compare(a, a, std::nullopt, known).identical());
    EXPECT_TRUE(compare(a, a, known, known).identical());
    const ConfigComparison c = compare(a, a, known, DeviceInfo{});
    EXPECT_FALSE(c.identical());
    EXPECT_EQ(c.differingFields(), 0u);
    EXPECT_EQ(
        rows(c.apart),
        (std::vector<Row>{{"Versions", "Firmware version", "V2.14", "unknown", {"firmwareVersion"}},
                          {"Versions", "Loader version", "L1.0", "unknown", {"loaderVersion"}},
                          {"Versions", "FLASH partition", "1", "unknown", {"systemInfoNumber"}}}));
}

TEST_F(ConfigComparisonTest, TextsComeFromTheLanguageInUse) {
    ASSERT_TRUE(language.Switch(2));
    ConverterConfig b = defaults();
    b.bytes[enableBits] |= EnableBit::p23Code;
    SetCodeFieldText(b, p22Code4, "R4");
    b.bytes[reserved] = 1;
    const ConfigComparison c = compare(defaults(), b);
    ASSERT_EQ(c.onPages.size(), 2u);
    EXPECT_EQ(c.onPages[0].left, QStringLiteral("(leer)"));
    EXPECT_EQ(c.onPages[1].left, QStringLiteral("Aus"));
    EXPECT_EQ(c.onPages[1].right, QStringLiteral("Ein"));
    EXPECT_EQ(c.onPages[1].page, language.Text(624));
    ASSERT_EQ(c.apart.size(), 1u);
    EXPECT_EQ(c.apart[0].page, QStringLiteral("Auf keiner Seite angezeigt"));
}

// The record fields that differ are those `vandrelctl config diff` lists, and so are the device
// information values; every one of them is named by some row, and no row names a field that
// does not differ.
TEST_F(ConfigComparisonTest, FindsTheFieldsConfigDiffFinds) {
    std::vector<std::pair<LoadedConfigFile, LoadedConfigFile>> pairs;
    auto pair = [&pairs](const ConverterConfig& a, const ConverterConfig& b, DeviceInfo ia = {},
                         DeviceInfo ib = {}) {
        pairs.push_back({{3, a, ia}, {3, b, ib}});
    };
    const ConverterConfig d = defaults();
    pair(d, d);
    ConverterConfig zeros;
    pair(d, zeros, info("V1", "L1", 0), DeviceInfo{});
    ConverterConfig ones;
    ones.bytes.fill(0xFF);
    pair(zeros, ones);
    pair(d, ones, info("V1", "L1", 0), info("V1", "L2", 0));
    // A code shortened: only its count changes, the characters behind it stay.
    ConverterConfig shortened = d;
    SetCodeFieldText(shortened, p23Code, "R");
    pair(d, shortened);
    // Characters behind a text make no difference.
    ConverterConfig behind = d;
    behind.bytes[p24Code + 10] = '9';
    pair(d, behind);
    // Random bytes changed, a few at a time and many at a time.
    std::mt19937 random(23);
    for (int round = 0; round < 60; ++round) {
        ConverterConfig b = round % 2 == 0 ? d : zeros;
        const int changes = round < 40 ? 1 + round % 4 : 80;
        for (int i = 0; i < changes; ++i) {
            b.bytes[random() % kConfigSize] = static_cast<std::uint8_t>(random());
        }
        pair(round % 2 == 0 ? d : zeros, b);
    }

    for (const auto& [fileA, fileB] : pairs) {
        const ConfigDifferences diff = compareConfigFiles(fileA, fileB);
        std::vector<std::string> diffFields;
        for (const ValueDifference& v : diff.record) {
            diffFields.push_back(v.name.toStdString());
        }
        std::set<std::string> diffInfo;
        for (const ValueDifference& v : diff.deviceInfo) {
            diffInfo.insert(v.name.toStdString());
        }

        const ConfigComparison c =
            CompareConfigurations({fileA.record, fileA.info}, {fileB.record, fileB.info}, language);
        SCOPED_TRACE(::testing::PrintToString(rows(c.onPages)) +
                     ::testing::PrintToString(rows(c.apart)));
        EXPECT_EQ(c.recordFields, diffFields);
        EXPECT_EQ(c.identical(), diff.record.empty() && diff.deviceInfo.empty());

        std::set<std::string> named;
        std::set<std::string> namedInfo;
        for (const auto* list : {&c.onPages, &c.apart}) {
            for (const ComparisonRow& row : *list) {
                for (const std::string& field : row.fields) {
                    (FindConfigField(field) != nullptr ? named : namedInfo).insert(field);
                }
            }
        }
        EXPECT_EQ(named, std::set<std::string>(diffFields.begin(), diffFields.end()));
        EXPECT_EQ(namedInfo, diffInfo);
    }
}

TEST_F(ConfigComparisonTest, FieldAtAnOffsetIsNamedAsItsPageNamesIt) {
    EXPECT_EQ(FieldAtOffsetLabel(number1 + 5, language).toStdString(),
              "Numbers and calls: First number");
    EXPECT_EQ(FieldAtOffsetLabel(number1Length, language).toStdString(),
              "Numbers and calls: First number");
    EXPECT_EQ(FieldAtOffsetLabel(p23Code + 20, language).toStdString(), "Callback: Code");
    EXPECT_EQ(FieldAtOffsetLabel(p21Code2Off, language).toStdString(),
              "Call forwarding: Forward when busy: Switch off");
    EXPECT_EQ(FieldAtOffsetLabel(p11Options, language).toStdString(),
              "Analog line: Dialling, Line polarity");
    EXPECT_EQ(FieldAtOffsetLabel(reserved + 3, language).toStdString(),
              "Not shown on any page: reserved");
    EXPECT_EQ(FieldAtOffsetLabel(1, language).toStdString(), "Not shown on any page: tag");
    EXPECT_TRUE(FieldAtOffsetLabel(kConfigSize, language).isEmpty());

    // A byte that pages of their own share: all of them, page by page ...
    const std::string all = FieldAtOffsetLabel(enableBits, language).toStdString();
    EXPECT_EQ(all.rfind("Numbers and calls: Use code; Call forwarding: Forward all calls, ", 0), 0u)
        << all;
    EXPECT_NE(all.find("; Number display: Use a code for number display"), std::string::npos)
        << all;
    // ... or, knowing both bytes, the controls of the bits that differ.
    const ConverterConfig wanted = defaults();
    ConverterConfig found = wanted;
    found.bytes[enableBits] |= EnableBit::p23Code;
    EXPECT_EQ(FieldAtOffsetLabel(enableBits, wanted, found, language).toStdString(),
              "Callback: Use callback when busy");
    found = wanted;
    found.bytes[p12Checks] ^= 0x21;
    EXPECT_EQ(FieldAtOffsetLabel(p12Checks, wanted, found, language).toStdString(),
              "Numbers and calls: Incoming calls: Keep the line, Dialling: Keep the line");
    found = wanted;
    found.bytes[p12Flags] ^= 0x40;
    EXPECT_EQ(FieldAtOffsetLabel(p12Flags, wanted, found, language).toStdString(),
              "Not shown on any page: p12Flags");
}

} // namespace
