// From the controls of each page into the bytes of the record.
#include "config/CodeField.h"
#include "configview/FilterEdit.h"
#include "configview/PageTable.h"

#include "ViewTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>

#include <array>
#include <functional>
#include <random>

using namespace vandrel;
using namespace vandrel::test;
using namespace vandrel::ConfigOffset;

namespace {

class PageCollect;

struct CollectCase {
    const char* name;
    int pageId;
    // Works the page's controls.
    std::function<void(PageCollect&)> edit;
    // What that does to a default record.
    std::function<void(ConverterConfig&)> expect;
};

class PageCollect : public ViewTest, public ::testing::WithParamInterface<CollectCase> {
public:
    void type(const char* edit, const QString& text) {
        auto* e = control<QLineEdit>(edit);
        e->clear();
        QTest::keyClicks(e, text);
        leave(e);
    }
    void click(const char* button) { control<QAbstractButton>(button)->click(); }
    void choose(const char* list, int position) {
        control<QComboBox>(list)->setCurrentIndex(position);
    }
};

void code(ConverterConfig& r, std::size_t offset, const char* text) {
    SetCodeFieldText(r, offset, text);
}

TEST_P(PageCollect, ControlsLandInTheirBytesAndNothingElseChanges) {
    const CollectCase& c = GetParam();
    openOn(Defaults(), c.pageId);
    c.edit(*this);
    ASSERT_TRUE(view->CollectPage());
    ConverterConfig expected = Defaults();
    c.expect(expected);
    EXPECT_EQ(record.bytes, expected.bytes) << "differences:" << Differences(record, expected);
    EXPECT_EQ(document.isModified(), record.bytes != Defaults().bytes);
    EXPECT_TRUE(messages.shown.empty());
}

// clang-format off
const CollectCase kCollectCases[] = {
    {"P11Untouched", 11, [](PageCollect&) {}, [](ConverterConfig&) {}},
    {"P11SecondEntryWithNumber", 11,
     [](PageCollect& t) { t.choose("ctl1001", 1); t.type("ctl1000", "100"); },
     [](ConverterConfig& r) { r.bytes[p11Select] = 1; r.bytes[p11Number] = 100; }},
    {"P11RadioPairsAndChoice", 11,
     [](PageCollect& t) { t.click("ctl1012"); t.click("ctl1057"); t.click("ctl1023"); },
     [](ConverterConfig& r) { r.bytes[p11Options] = 0x03; r.bytes[p11Choice] = 3; }},
    {"P11SecondRadioOfEachPair", 11,
     [](PageCollect& t) { t.click("ctl1057"); t.click("ctl1017"); },
     [](ConverterConfig& r) { r.bytes[p11Options] = 0x02; r.bytes[p11Choice] = 2; }},
    {"P11CountTooSmall", 11, [](PageCollect& t) { t.type("ctl1007", "0"); },
     [](ConverterConfig& r) { r.bytes[p11Count] = 1; }},
    {"P11CountTooLarge", 11, [](PageCollect& t) { t.type("ctl1007", "45"); },
     [](ConverterConfig& r) { r.bytes[p11Count] = 30; }},
    {"P11CountUncorrected", 11,
     [](PageCollect& t) { t.control<QLineEdit>("ctl1007")->setText("99"); },
     [](ConverterConfig& r) { r.bytes[p11Count] = 30; }},

    {"P12Untouched", 12, [](PageCollect&) {}, [](ConverterConfig&) {}},
    {"P12Numbers", 12,
     [](PageCollect& t) { t.type("ctl1000", "12345"); t.type("ctl1007", "98765432109876543210"); },
     [](ConverterConfig& r) { code(r, number1, "12345"); code(r, number2, "98765432109876543210"); }},
    {"P12EmptyNumberIsZeroFilled", 12, [](PageCollect& t) { t.type("ctl1000", ""); },
     [](ConverterConfig& r) { std::fill_n(r.bytes.begin() + number1, 21, 0); }},
    {"P12NumberOptions", 12,
     [](PageCollect& t) { t.click("ctl1041"); t.click("ctl1039"); t.click("ctl1042"); t.click("ctl1040"); },
     [](ConverterConfig& r) {
         r.bytes[number1OptionA] = 1; r.bytes[number1OptionB] = 1;
         r.bytes[number2OptionA] = 1; r.bytes[number2OptionB] = 1; }},
    {"P12FlagBits", 12,
     [](PageCollect& t) { t.click("ctl1011"); t.click("ctl1013"); t.click("ctl1016"); t.click("ctl1010"); },
     [](ConverterConfig& r) { r.bytes[p12Flags] = 0x01 | 0x10 | 0x20; }},
    {"P12ChecksEveryBit", 12,
     [](PageCollect& t) {
         for (const char* box : {"ctl1015", "ctl1035", "ctl1049", "ctl1050", "ctl1051",
                                 "ctl1052", "ctl1053", "ctl1054"}) {
             t.click(box);
         }
     },
     [](ConverterConfig& r) { r.bytes[p12Checks] = 0xFF ^ 0x1A; }},
    {"P12ValuesBelowRange", 12,
     [](PageCollect& t) {
         t.type("ctl1024", "0"); t.type("ctl1026", "0"); t.type("ctl1027", "1"); t.type("ctl1029", "0"); },
     [](ConverterConfig& r) {
         r.bytes[p12Value1] = 1; r.bytes[p12Value2] = 1; r.bytes[p12Value3] = 2; r.bytes[p12Value4] = 1; }},
    {"P12ValuesAboveRangeWithoutLeavingTheEdits", 12,
     [](PageCollect& t) {
         t.control<QLineEdit>("ctl1024")->setText("31");
         t.control<QLineEdit>("ctl1026")->setText("99");
         t.control<QLineEdit>("ctl1027")->setText("21");
         t.control<QLineEdit>("ctl1029")->setText("7"); },
     [](ConverterConfig& r) {
         r.bytes[p12Value1] = 30; r.bytes[p12Value2] = 30; r.bytes[p12Value3] = 20; r.bytes[p12Value4] = 6; }},
    {"P12SwitchedCodeAndDigits", 12,
     [](PageCollect& t) {
         t.click("ctl1014"); t.type("ctl1025", "*12#,");
         t.click("ctl1055"); t.type("ctl1028", "0815"); },
     [](ConverterConfig& r) {
         r.bytes[enableBits] = 0x80; r.bytes[enableBits2] = 0x01;
         code(r, p12Code, "*12#,"); code(r, p12Digits, "0815"); }},
    {"P12ScaledValueRoundsDown", 12, [](PageCollect& t) { t.type("ctl1022", "1003"); },
     [](ConverterConfig& r) { r.bytes[p12Scaled] = 200; }},
    {"P12ScaledValueTop", 12, [](PageCollect& t) { t.type("ctl1022", "9999"); },
     [](ConverterConfig& r) { r.bytes[p12Scaled] = 255; }},
    {"P12ScaledValueUncorrectedBelow", 12,
     [](PageCollect& t) { t.control<QLineEdit>("ctl1022")->setText("39"); },
     [](ConverterConfig& r) { r.bytes[p12Scaled] = 8; }},
    {"P12ListEntry", 12, [](PageCollect& t) { t.choose("ctl1001", 2); },
     [](ConverterConfig& r) { r.bytes[p12ListIndex] = 2; }},
    {"P12NoListEntry", 12, [](PageCollect& t) { t.choose("ctl1001", -1); },
     [](ConverterConfig& r) { r.bytes[p12ListIndex] = 5; }},

    {"P21SecondPairSwitchedOn", 21,
     [](PageCollect& t) { t.click("ctl1013"); t.type("ctl1022", "*67*n#"); t.type("ctl1024", "#67#"); },
     [](ConverterConfig& r) {
         r.bytes[enableBits] = 0x02; code(r, p21Code2On, "*67*n#"); code(r, p21Code2Off, "#67#"); }},
    {"P21AllSwitchesAndShorterCodes", 21,
     [](PageCollect& t) {
         t.click("ctl1010"); t.click("ctl1014");
         t.type("ctl1000", "*21*n"); t.type("ctl1026", "#61"); },
     [](ConverterConfig& r) {
         r.bytes[enableBits] = 0x05; code(r, p21Code1On, "*21*n"); code(r, p21Code3Off, "#61"); }},
    {"P21CodeOfASwitchedOffPair", 21, [](PageCollect& t) { t.type("ctl1007", ""); },
     [](ConverterConfig& r) { code(r, p21Code1Off, ""); }},

    {"P22MainSwitch", 22, [](PageCollect& t) { t.click("ctl1010"); },
     [](ConverterConfig& r) { r.bytes[enableBits] = 0x08; }},
    {"P22BothSwitchesAndOptionalCodes", 22,
     [](PageCollect& t) {
         t.click("ctl1010"); t.click("ctl1013");
         t.type("ctl1024", "r4"); t.type("ctl1025", "R5,"); t.type("ctl1026", "R6"); t.type("ctl1027", "R7");
         t.type("ctl1000", "R1"); t.type("ctl1007", "r2"); t.type("ctl1022", "R,3"); },
     [](ConverterConfig& r) {
         r.bytes[enableBits] = 0x18;
         code(r, p22Code1, "R1"); code(r, p22Code2, "R2"); code(r, p22Code3, "R,3");
         code(r, p22Code4, "R4"); code(r, p22Code5, "R5,"); code(r, p22Code6, "R6");
         code(r, p22Code7, "R7"); }},

    {"P23SwitchAndCode", 23, [](PageCollect& t) { t.click("ctl1010"); t.type("ctl1000", "r,,*37#"); },
     [](ConverterConfig& r) { r.bytes[enableBits] = 0x20; code(r, p23Code, "R,,*37#"); }},
    {"P24SwitchAndCode", 24, [](PageCollect& t) { t.click("ctl1010"); t.type("ctl1000", "*31#N"); },
     [](ConverterConfig& r) { r.bytes[enableBits] = 0x40; code(r, p24Code, "*31#n"); }},
    {"P24CodeSwitchedOff", 24, [](PageCollect& t) { t.type("ctl1000", ""); },
     [](ConverterConfig& r) { code(r, p24Code, ""); }},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Pages, PageCollect, ::testing::ValuesIn(kCollectCases),
                         [](const ::testing::TestParamInfo<CollectCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- Round trip: a page built from any record and collected without edits gives the record
// back, apart from the corrections the pages make.

// The fields each page takes from its controls.
const std::size_t kPage21Codes[] = {p21Code1On,  p21Code1Off, p21Code2On,
                                    p21Code2Off, p21Code3On,  p21Code3Off};
const std::size_t kPage22Codes[] = {p22Code1, p22Code2, p22Code3, p22Code4,
                                    p22Code5, p22Code6, p22Code7};

ConverterConfig RandomRecord(std::mt19937& random) {
    std::uniform_int_distribution<int> anyByte(0, 255);
    ConverterConfig r;
    for (auto& b : r.bytes) {
        b = static_cast<std::uint8_t>(anyByte(random));
    }
    // Texts hold printable single-byte characters; their counts may be damaged (above 20).
    const std::string printable =
        " !\"$%&'()*+,-./0123456789:;<=>?@ABCRnrxyz[]^_`{|}~\xA1\xB5\xC4\xD6\xDC\xDF\xE9\xFF";
    std::uniform_int_distribution<std::size_t> pick(0, printable.size() - 1);
    std::uniform_int_distribution<int> length(0, 23);
    std::vector<std::size_t> texts{number1, number2, p12Code, p12Digits, p23Code, p24Code};
    texts.insert(texts.end(), std::begin(kPage21Codes), std::end(kPage21Codes));
    texts.insert(texts.end(), std::begin(kPage22Codes), std::end(kPage22Codes));
    for (std::size_t offset : texts) {
        for (std::size_t i = 0; i < 20; ++i) {
            r.bytes[offset + i] = static_cast<std::uint8_t>(printable[pick(random)]);
        }
        r.bytes[offset + 20] = static_cast<std::uint8_t>(length(random));
    }
    // A switched-on field is never empty, so that every page accepts its record.
    auto fill = [&r](std::uint8_t mask, std::size_t switchOffset, std::size_t field) {
        if ((r.bytes[switchOffset] & mask) != 0 && r.bytes[field + 20] == 0) {
            r.bytes[field + 20] = 1;
        }
    };
    fill(0x80, enableBits, p12Code);
    fill(0x01, enableBits2, p12Digits);
    for (int pair = 0; pair < 3; ++pair) {
        fill(static_cast<std::uint8_t>(1 << pair), enableBits, kPage21Codes[2 * pair]);
        fill(static_cast<std::uint8_t>(1 << pair), enableBits, kPage21Codes[2 * pair + 1]);
    }
    fill(0x08, enableBits, p22Code1);
    fill(0x08, enableBits, p22Code2);
    if ((r.bytes[enableBits] & 0x18) == 0x18) {
        fill(0x10, enableBits, p22Code3);
    }
    fill(0x20, enableBits, p23Code);
    fill(0x40, enableBits, p24Code);
    return r;
}

std::uint8_t Clamp(std::uint8_t v, int low, int high) {
    return static_cast<std::uint8_t>(std::clamp<int>(v, low, high));
}

// A count above 20 is read and written back as 20.
void CapLength(ConverterConfig& r, std::size_t field) {
    r.bytes[field + 20] = std::min<std::uint8_t>(r.bytes[field + 20], 20);
}

// What collecting `pageId` unchanged makes of `r`.
ConverterConfig Normalised(int pageId, ConverterConfig r) {
    switch (pageId) {
    case 11:
        r.bytes[p11Number] = (r.bytes[p11Select] & 1) == 0 ? 0 : Clamp(r.bytes[p11Number], 0, 127);
        if (r.bytes[p11Choice] < 1 || r.bytes[p11Choice] > 3) {
            r.bytes[p11Choice] = 1;
        }
        r.bytes[p11Count] = Clamp(r.bytes[p11Count], 1, 30);
        break;
    case 12:
        for (std::size_t number : {number1, number2}) {
            CapLength(r, number);
            if (r.bytes[number + 20] == 0) {
                std::fill_n(r.bytes.begin() + static_cast<std::ptrdiff_t>(number), 20, 0);
            }
        }
        for (std::size_t option :
             {number1OptionA, number2OptionA, number1OptionB, number2OptionB}) {
            r.bytes[option] = r.bytes[option] != 0 ? 1 : 0;
        }
        r.bytes[p12Value1] = Clamp(r.bytes[p12Value1], 1, 30);
        r.bytes[p12Value2] = Clamp(r.bytes[p12Value2], 1, 30);
        r.bytes[p12Value3] = Clamp(r.bytes[p12Value3], 2, 20);
        r.bytes[p12Value4] = Clamp(r.bytes[p12Value4], 1, 6);
        r.bytes[p12Scaled] = Clamp(r.bytes[p12Scaled], 8, 255);
        if (r.bytes[p12ListIndex] > 8) {
            r.bytes[p12ListIndex] = 5;
        }
        CapLength(r, p12Code);
        CapLength(r, p12Digits);
        break;
    case 21:
        for (std::size_t field : kPage21Codes) {
            CapLength(r, field);
        }
        break;
    case 22:
        if ((r.bytes[enableBits] & 0x08) == 0) {
            r.bytes[enableBits] &= static_cast<std::uint8_t>(~0x10);
        }
        for (std::size_t field : kPage22Codes) {
            CapLength(r, field);
        }
        break;
    case 23:
        CapLength(r, p23Code);
        break;
    case 24:
        CapLength(r, p24Code);
        break;
    }
    return r;
}

class PageRoundTrip : public ViewTest, public ::testing::WithParamInterface<int> {};

TEST_P(PageRoundTrip, UneditedPageGivesTheRecordBackWithItsCorrections) {
    const int pageId = GetParam();
    std::mt19937 random(static_cast<unsigned>(pageId));
    int corrected = 0;
    for (int round = 0; round < 40; ++round) {
        const ConverterConfig original = RandomRecord(random);
        openOn(original, pageId);
        ASSERT_TRUE(view->CollectPage()) << "round " << round;
        const ConverterConfig expected = Normalised(pageId, original);
        ASSERT_EQ(record.bytes, expected.bytes)
            << "round " << round << ", differences:" << Differences(record, expected);
        const bool changed = expected.bytes != original.bytes;
        EXPECT_EQ(document.isModified(), changed) << "round " << round;
        corrected += changed ? 1 : 0;
        // A second collect finds nothing more to do.
        ASSERT_TRUE(view->CollectPage());
        EXPECT_EQ(record.bytes, expected.bytes);
    }
    // Random records nearly always need some correction; make sure that path was taken.
    EXPECT_GT(corrected, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_P(PageRoundTrip, BytesOutsideThePageBlocksAreNeverWritten) {
    const int pageId = GetParam();
    std::mt19937 random(static_cast<unsigned>(pageId) + 100);
    const ConverterConfig original = RandomRecord(random);
    openOn(original, pageId);
    // Whatever the page holds, only its blocks may reach the record: the whole record changes
    // under the page, and the page's collect leaves every other byte as it now is.
    ConverterConfig other = RandomRecord(random);
    document.takeEdits(other, std::array{RecordBlock{0, kConfigSize}});
    ASSERT_EQ(record.bytes, other.bytes);
    ASSERT_TRUE(view->CollectPage());
    std::vector<bool> owned(kConfigSize, false);
    for (const RecordBlock& block : PageBlocks(pageId)) {
        std::fill_n(owned.begin() + static_cast<std::ptrdiff_t>(block.offset), block.size, true);
    }
    for (std::size_t i = 0; i < kConfigSize; ++i) {
        if (!owned[i]) {
            ASSERT_EQ(record.bytes[i], other.bytes[i]) << "byte " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EditingPages, PageRoundTrip, ::testing::Values(11, 12, 21, 22, 23, 24),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Page" + std::to_string(info.param);
                         });

} // namespace
