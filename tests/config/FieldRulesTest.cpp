// The field rules as the pages apply them, without the pages.
#include "config/ConfigFields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace vandrel;

namespace {

ConverterConfig defaults() {
    ConverterConfig record;
    ResetToDefaults(&record);
    return record;
}

const ConfigField& field(const char* name) {
    const ConfigField* found = FindConfigField(name);
    EXPECT_NE(found, nullptr) << name;
    return found != nullptr ? *found : kConfigFields.front();
}

TEST(FieldRules, TypedCharactersAreTakenInTheCaseOfTheSet) {
    struct Case {
        std::string_view set;
        char typed;
        char inserted; // '\0': refused
    };
    const Case cases[] = {
        {FieldCharacters::DialCodesR, 'r', 'R'},     {FieldCharacters::DialCodesR, 'R', 'R'},
        {FieldCharacters::DialCodesN, 'N', 'n'},     {FieldCharacters::DialCodesRN, 'n', 'n'},
        {FieldCharacters::DialCodesRN, 'r', 'R'},    {FieldCharacters::DialCodesR, 'n', '\0'},
        {FieldCharacters::DialCodes, 'R', '\0'},     {FieldCharacters::DialCodes, ',', ','},
        {FieldCharacters::Digits, '*', '\0'},        {FieldCharacters::Digits, '7', '7'},
        {FieldCharacters::DialCodesR, 'x', '\0'},    {FieldCharacters::DialCodesR, ' ', '\0'},
        {FieldCharacters::DialCodesR, '\xD2', '\0'}, // a Latin-1 letter is no R
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FilterCharacter(c.set, c.typed), c.inserted) << c.set << " '" << c.typed << "'";
    }
}

// Every field a page edits has rules, and only those: what the pages edit, by name.
TEST(FieldRules, CoverExactlyTheFieldsThePagesEdit) {
    const std::set<std::string> edited = {
        "p11Select",      "p11Number",      "p11Options",     "p11Choice",      "p11Count",
        "number1",        "number2",        "p12Flags",       "p12Scaled",      "p12ListIndex",
        "number1OptionA", "number2OptionA", "number1OptionB", "number2OptionB", "p12Checks",
        "p21Code1On",     "p21Code1Off",    "p21Code2On",     "p21Code2Off",    "p21Code3On",
        "p21Code3Off",    "p22Code1",       "p22Code2",       "p22Code3",       "p22Code4",
        "p22Code5",       "p22Code6",       "p22Code7",       "p23Code",        "p24Code",
        "p12Code",        "p12Digits",      "enableBits",     "enableBits2",    "p12Value1",
        "p12Value2",      "p12Value3",      "p12Value4"};
    std::set<std::string> withRules;
    for (const ConfigField& f : kConfigFields) {
        if (f.rules.editing == Editing::Page) {
            withRules.insert(std::string(f.name));
        }
        EXPECT_EQ(ConfigFieldAt(f.offset), &f) << f.name;
    }
    EXPECT_EQ(withRules, edited);
    EXPECT_EQ(field("number1Length").rules.editing, Editing::Follows);
    EXPECT_EQ(field("number1").rules.counterpart, "number1Length");
    EXPECT_EQ(ConfigFieldAt(ConfigOffset::p11Select + 1), FindConfigField("p11Number"));
    EXPECT_EQ(ConfigFieldAt(ConfigOffset::number1 + 1), nullptr);
}

// The ranges, limits and switches of the page tables.
TEST(FieldRules, RangesLimitsAndSwitches) {
    struct Case {
        const char* name;
        std::uint32_t low, high;
        unsigned limit;
        std::string_view characters;
    };
    const Case cases[] = {
        {"p11Number", 0, 127, 3, FieldCharacters::Digits},
        {"p11Count", 1, 30, 2, FieldCharacters::Digits},
        {"p12Value1", 1, 30, 2, FieldCharacters::Digits},
        {"p12Value2", 1, 30, 2, FieldCharacters::Digits},
        {"p12Value3", 2, 20, 2, FieldCharacters::Digits},
        {"p12Value4", 1, 6, 1, FieldCharacters::Digits},
        {"p12Scaled", 8, 255, 4, FieldCharacters::Digits},
        {"p11Choice", 1, 3, 0, ""},
        {"p12ListIndex", 0, 8, 0, ""},
        {"number2OptionB", 0, 1, 0, ""},
        {"number1", 0, 0, 20, FieldCharacters::Digits},
        {"p12Code", 0, 0, 20, FieldCharacters::DialCodes},
        {"p12Digits", 0, 0, 20, FieldCharacters::Digits},
        {"p21Code3Off", 0, 0, 20, FieldCharacters::DialCodesN},
        {"p22Code7", 0, 0, 20, FieldCharacters::DialCodesR},
        {"p23Code", 0, 0, 20, FieldCharacters::DialCodesR},
        {"p24Code", 0, 0, 20, FieldCharacters::DialCodesRN},
    };
    for (const Case& c : cases) {
        const FieldRules& r = field(c.name).rules;
        EXPECT_EQ(r.low, c.low) << c.name;
        EXPECT_EQ(r.high, c.high) << c.name;
        EXPECT_EQ(r.limit, c.limit) << c.name;
        EXPECT_EQ(r.characters, c.characters) << c.name;
    }
    struct SwitchCase {
        const char* name;
        std::size_t offset;
        std::uint8_t mask;
        bool mandatory;
    };
    const SwitchCase switches[] = {
        {"p21Code1On", ConfigOffset::enableBits, 0x01, true},
        {"p21Code3Off", ConfigOffset::enableBits, 0x04, true},
        {"p22Code2", ConfigOffset::enableBits, 0x08, true},
        {"p22Code3", ConfigOffset::enableBits, 0x18, true},
        {"p22Code5", ConfigOffset::enableBits, 0x18, false},
        {"p23Code", ConfigOffset::enableBits, 0x20, true},
        {"p24Code", ConfigOffset::enableBits, 0x40, true},
        {"p12Code", ConfigOffset::enableBits, 0x80, true},
        {"p12Digits", ConfigOffset::enableBits2, 0x01, true},
    };
    for (const SwitchCase& c : switches) {
        const FieldSwitch& s = field(c.name).rules.fieldSwitch;
        EXPECT_EQ(s.offset, c.offset) << c.name;
        EXPECT_EQ(s.mask, c.mask) << c.name;
        EXPECT_EQ(s.mandatory, c.mandatory) << c.name;
        EXPECT_FALSE(s.zeroWhileOff) << c.name;
    }
    EXPECT_TRUE(field("p11Number").rules.fieldSwitch.zeroWhileOff);
    EXPECT_EQ(field("p12Flags").rules.bits, 0x33);
    EXPECT_EQ(field("p11Options").rules.bits, 0x03);
    EXPECT_EQ(field("enableBits2").rules.bits, 0x01);
}

// The page's behaviour with numbers, step by step: shown when the page is built, corrected on
// leaving the edit, stored on collect.
TEST(FieldRules, NumbersAreShownCorrectedAndStoredAsThePagesDo) {
    struct Case {
        const char* name;
        std::uint8_t stored;     // in the record when the page is built
        std::uint32_t shown;     // what the page shows for it
        std::uint32_t typed;     // what the user then types
        std::uint32_t corrected; // after leaving the edit
        std::uint32_t collected; // stored by the collect
    };
    const Case cases[] = {
        {"p12Scaled", 20, 100, 1003, 1000, 200},
        {"p12Scaled", 20, 100, 9999, 1275, 255},
        {"p12Scaled", 3, 40, 40, 40, 8}, // below 8 shows as 8 × 5
        {"p12Scaled", 20, 100, 12, 40, 8},
        {"p12Scaled", 20, 100, 0, 40, 8},
        {"p11Count", 3, 3, 0, 1, 1},
        {"p11Count", 3, 3, 31, 30, 30},
        {"p11Count", 200, 200, 15, 15, 15}, // a stored value out of range shows as it is
        {"p12Value3", 3, 3, 1, 2, 2},
        {"p12Value4", 4, 4, 9, 6, 6},
        {"p11Choice", 7, 1, 1, 1, 1},
        {"p11Choice", 3, 3, 3, 3, 3},
        {"p12ListIndex", 12, 5, 5, 5, 5},
        {"number1OptionA", 5, 1, 1, 1, 1},
        {"number1OptionA", 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " stored " + std::to_string(c.stored) + " typed " +
                     std::to_string(c.typed));
        const ConfigField& f = field(c.name);
        ConverterConfig record = defaults();
        record.bytes[f.offset] = c.stored;
        EXPECT_EQ(ShownNumber(record, f), c.shown);
        EXPECT_EQ(CorrectedNumber(f, c.typed), c.corrected);
        EXPECT_EQ(StoredNumber(record, f, c.corrected), c.collected);
    }
    // Collect corrects a number that never left its edit, too.
    EXPECT_EQ(StoredNumber(defaults(), field("p12Scaled"), 9999), 255u);
    EXPECT_EQ(StoredNumber(defaults(), field("p11Count"), 0), 1u);
}

TEST(FieldRules, NumberWithASwitchKeepsTheLastAcceptedValueAndIsZeroWhileOff) {
    const ConfigField& number = field("p11Number");
    ConverterConfig record = defaults();
    record.bytes[ConfigOffset::p11Number] = 12;
    EXPECT_EQ(ShownNumber(record, number), 0u) << "list on its first entry";
    EXPECT_EQ(StoredNumber(record, number, 55), 0u);
    record.bytes[ConfigOffset::p11Select] = 0x01;
    EXPECT_EQ(ShownNumber(record, number), 12u);
    EXPECT_FALSE(TypingKeeps(number, 200, 20));
    EXPECT_TRUE(TypingKeeps(number, 127, 12));
    EXPECT_TRUE(TypingKeeps(number, 200, 200)) << "a stored 200 is shown and may stay";
    EXPECT_EQ(CorrectedNumber(number, 200), 200u);
    EXPECT_EQ(StoredNumber(record, number, 200), 127u);
    EXPECT_TRUE(TypingKeeps(field("p11Count"), 99, 3)) << "other fields correct later";
}

TEST(FieldRules, TextsAreStoredWithTheirCount) {
    ConverterConfig record = defaults();
    StoreFieldText(record, field("number1"), "7");
    EXPECT_EQ(FieldText(record, field("number1")), "7");
    EXPECT_EQ(record.bytes[ConfigOffset::number1Length], 1);
    EXPECT_EQ(record.bytes[ConfigOffset::number1 + 1], '0') << "old characters stay behind";
    StoreFieldText(record, field("number1"), "");
    for (std::size_t i = 0; i <= 20; ++i) {
        EXPECT_EQ(record.bytes[ConfigOffset::number1 + i], 0) << "number1 emptied, byte " << i;
    }
    StoreFieldText(record, field("p23Code"), "");
    EXPECT_EQ(record.bytes[ConfigOffset::p23Code + 20], 0);
    EXPECT_EQ(record.bytes[ConfigOffset::p23Code], 'R') << "a code keeps its characters";
    const ConverterConfig before = record;
    StoreFieldText(record, field("p11Count"), "12"); // not a text: ignored
    EXPECT_EQ(record.bytes, before.bytes);
}

TEST(FieldRules, DifferencesAreValuesNotStaleBytes) {
    const ConverterConfig a = defaults();
    ConverterConfig b = a;
    SetCodeFieldText(b, ConfigOffset::p23Code, "R"); // ",,,,*37#,,," stays behind
    SetCodeFieldText(b, ConfigOffset::p23Code, "R,,,,*37#,,,");
    b.bytes[ConfigOffset::languageName + 10] = 'x'; // behind the terminator
    EXPECT_TRUE(DifferingFields(a, b).empty());
    SetCodeFieldText(b, ConfigOffset::p23Code, "R");
    b.bytes[ConfigOffset::p11Count] = 9;
    b.bytes[ConfigOffset::reserved + 39] = 1;
    std::vector<std::string> names;
    for (const ConfigField* f : DifferingFields(a, b)) {
        names.emplace_back(f->name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"p11Count", "p23Code", "reserved"}));
    EXPECT_EQ(FieldValueText(b, field("reserved")), std::string(78, '0') + "01");
    EXPECT_EQ(FieldValueText(b, field("p11Count")), "9");
    EXPECT_EQ(FieldValueText(b, field("p23Code")), "R");
}

} // namespace
