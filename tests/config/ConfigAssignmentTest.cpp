// Changing named fields from NAME=VALUE texts by the page rules.
#include "config/ConfigAssignment.h"
#include "config/CodeField.h"
#include "config/ConfigFields.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace vandrel;

namespace {

ConverterConfig defaults() {
    ConverterConfig record;
    ResetToDefaults(&record);
    return record;
}

std::vector<FieldAssignment> parse(const std::vector<std::string>& texts) {
    std::vector<FieldAssignment> out;
    for (const std::string& text : texts) {
        const auto a = ParseFieldAssignment(text);
        EXPECT_TRUE(a.has_value()) << text;
        if (a) {
            out.push_back(*a);
        }
    }
    return out;
}

std::string value(const ConverterConfig& record, const char* name) {
    return FieldValueText(record, *FindConfigField(name));
}

struct SetCase {
    const char* title;
    std::vector<std::string> assignments;
    // Fields the change must leave with these values (as config show prints them); every byte
    // outside the named fields and these must stay as it was.
    std::vector<std::pair<const char*, std::string>> expected;
    std::function<void(ConverterConfig&)> before = {};
};

// Bytes that may change: the fields named in the assignments and in the expectations.
std::vector<bool> changeable(const SetCase& c) {
    std::vector<bool> mask(kConfigSize, false);
    auto mark = [&mask](const std::string& name) {
        const ConfigField* f = FindConfigField(name);
        ASSERT_NE(f, nullptr) << name;
        for (std::size_t i = 0; i < f->size; ++i) {
            mask[f->offset + i] = true;
        }
        if (!f->rules.counterpart.empty() && f->kind == FieldKind::CountedText) {
            mask[f->offset + f->size] = true;
        }
    };
    for (const std::string& a : c.assignments) {
        mark(a.substr(0, a.find('=')));
    }
    for (const auto& [name, v] : c.expected) {
        mark(name);
    }
    return mask;
}

TEST(ConfigAssignment, AcceptedValuesAreStoredWithWhatFollowsThem) {
    const SetCase cases[] = {
        {"a number and its count", {"number1=4711"}, {{"number1", "4711"}, {"number1Length", "4"}}},
        {"a shorter number", {"number2=7"}, {{"number2", "7"}, {"number2Length", "1"}}},
        {"an emptied number", {"number1="}, {{"number1", ""}, {"number1Length", "0"}}},
        {"twenty digits", {"number1=01234567890123456789"}, {{"number1Length", "20"}}},
        {"a code in the set's case", {"p22Code1=r,12"}, {{"p22Code1", "R,12"}}},
        {"n in its own case", {"p24Code=*31#N"}, {{"p24Code", "*31#n"}}},
        {"an emptied code, switch off", {"p23Code="}, {{"p23Code", ""}}},
        {"a full code",
         {"p21Code1On=*21*n#,,,0123456789*"},
         {{"p21Code1On", "*21*n#,,,0123456789*"}}},
        {"decimal", {"p11Count=30"}, {{"p11Count", "30"}}},
        {"decimal with a leading zero", {"p11Count=030"}, {{"p11Count", "30"}}},
        {"hex", {"p11Count=0x1e"}, {{"p11Count", "30"}}},
        {"upper-case hex", {"p12Scaled=0XFF"}, {{"p12Scaled", "255"}}},
        {"lowest scaled value", {"p12Scaled=8"}, {{"p12Scaled", "8"}}},
        {"the ranges' ends", {"p12Value3=2", "p12Value4=6", "p12ListIndex=8", "p11Choice=3"}, {}},
        {"a check box byte", {"number2OptionB=1"}, {{"number2OptionB", "1"}}},
        {"a flag byte's own bits", {"p12Flags=0x31"}, {{"p12Flags", "49"}}},
        {"a switch and its mandatory code",
         {"enableBits=0x80", "p12Code=*31#"},
         {{"enableBits", "128"}, {"p12Code", "*31#"}}},
        {"both switches of page 22", {"enableBits=0x18"}, {{"enableBits", "24"}}},
        {"the digits switch and its code",
         {"p12Digits=42", "enableBits2=1"},
         {{"enableBits2", "1"}, {"p12Digits", "42"}}},
        {"a number with its switch",
         {"p11Select=1", "p11Number=127"},
         {{"p11Select", "1"}, {"p11Number", "127"}}},
        {"a number follows its switch off",
         {"p11Select=0"},
         {{"p11Select", "0"}, {"p11Number", "0"}},
         [](ConverterConfig& r) {
             r.bytes[ConfigOffset::p11Select] = 1;
             r.bytes[ConfigOffset::p11Number] = 12;
         }},
        {"the last assignment wins", {"number1=1", "number1=22"}, {{"number1", "22"}}},
        {"an empty optional code under its switch",
         {"p22Code6="},
         {{"p22Code6", ""}},
         [](ConverterConfig& r) { r.bytes[ConfigOffset::enableBits] = 0x18; }},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.title);
        ConverterConfig record = defaults();
        if (c.before) {
            c.before(record);
        }
        const ConverterConfig original = record;
        const std::vector<std::string> refusals =
            ApplyFieldAssignments(record, parse(c.assignments));
        ASSERT_TRUE(refusals.empty()) << refusals.front();
        for (const auto& [name, v] : c.expected) {
            EXPECT_EQ(value(record, name), v) << name;
        }
        const std::vector<bool> mask = changeable(c);
        for (std::size_t i = 0; i < kConfigSize; ++i) {
            if (!mask[i]) {
                EXPECT_EQ(record.bytes[i], original.bytes[i]) << "byte " << i;
            }
        }
    }
}

TEST(ConfigAssignment, StoredBytesMatchThePagesStorage) {
    ConverterConfig record = defaults();
    ASSERT_TRUE(ApplyFieldAssignments(record, parse({"number1=9", "p23Code=R"})).empty());
    // A shorter text leaves the old characters behind it; only the count says where it ends.
    EXPECT_EQ(record.bytes[ConfigOffset::number1], '9');
    EXPECT_EQ(record.bytes[ConfigOffset::number1 + 1], '0');
    EXPECT_EQ(record.bytes[ConfigOffset::number1Length], 1);
    EXPECT_EQ(record.bytes[ConfigOffset::p23Code + 1], ',');
    EXPECT_EQ(record.bytes[ConfigOffset::p23Code + 20], 1);
    // Emptying a number clears all its characters.
    ASSERT_TRUE(ApplyFieldAssignments(record, parse({"number2="})).empty());
    for (std::size_t i = 0; i <= 20; ++i) {
        EXPECT_EQ(record.bytes[ConfigOffset::number2 + i], 0) << i;
    }
}

struct RefusedCase {
    const char* title;
    std::vector<std::string> assignments;
    std::vector<std::string> refusals; // each names the field and its rule
    std::function<void(ConverterConfig&)> before = {};
};

TEST(ConfigAssignment, RefusedValuesChangeNothingAndNameTheFieldAndRule) {
    const std::string r12 = "p22Code1: takes only the characters 0123456789*#R, ";
    const RefusedCase cases[] = {
        {"a letter outside the set", {"p22Code1=12x"}, {r12 + "('x' is not one of them)."}},
        {"R where the set has n",
         {"p21Code1On=R"},
         {"p21Code1On: takes only the characters 0123456789*#n, ('R' is not one of them)."}},
        {"a star among digits",
         {"p12Digits=1*"},
         {"p12Digits: takes only the characters "
          "0123456789 ('*' is not one of them)."}},
        {"a space",
         {"number1=1 2"},
         {"number1: takes only the characters 0123456789 "
          "(' ' is not one of them)."}},
        {"a byte beyond ASCII",
         {"p23Code=\xE9"},
         {"p23Code: takes only the characters "
          "0123456789*#R, (the byte 0xE9 is not one "
          "of them)."}},
        {"too long",
         {"number1=012345678901234567890"},
         {"number1: takes at most 20 characters (21 given)."}},
        {"too long a code",
         {"p24Code=*31#*31#*31#*31#*31#,,,,,"},
         {"p24Code: takes at most 20 characters (25 given)."}},
        {"above the range", {"p11Count=31"}, {"p11Count: takes 1..30 (31 given)."}},
        {"below the range", {"p11Count=0"}, {"p11Count: takes 1..30 (0 given)."}},
        {"scaled below its low end", {"p12Scaled=7"}, {"p12Scaled: takes 8..255 (7 given)."}},
        {"beyond a byte", {"p12Scaled=0x100"}, {"p12Scaled: takes 8..255 (0x100 given)."}},
        {"beyond 32 bits",
         {"p12Value4=99999999999"},
         {"p12Value4: takes 1..6 (99999999999 given)."}},
        {"a radio value", {"p11Choice=4"}, {"p11Choice: takes 1..3 (4 given)."}},
        {"a list index", {"p12ListIndex=9"}, {"p12ListIndex: takes 0..8 (9 given)."}},
        {"a check box", {"number1OptionA=2"}, {"number1OptionA: takes 0..1 (2 given)."}},
        {"a number above its edit's range",
         {"p11Select=1", "p11Number=128"},
         {"p11Number: takes 0..127 (128 given)."}},
        {"not a number",
         {"p11Count=abc"},
         {"p11Count: takes a number, decimal or 0x hex ('abc' given)."}},
        {"a sign", {"p11Count=-1"}, {"p11Count: takes a number, decimal or 0x hex ('-1' given)."}},
        {"nothing", {"p11Count="}, {"p11Count: takes a number, decimal or 0x hex ('' given)."}},
        {"a bare 0x",
         {"p11Count=0x"},
         {"p11Count: takes a number, decimal or 0x hex ('0x' given)."}},
        {"hex digits without 0x",
         {"p11Count=1e"},
         {"p11Count: takes a number, decimal or 0x hex ('1e' given)."}},
        {"an unknown field", {"number3=1"}, {"'number3' is not a field of the configuration."}},
        {"a field name in another case",
         {"Number1=1"},
         {"'Number1' is not a field of the configuration."}},
        {"a count byte",
         {"number1Length=2"},
         {"number1Length: follows number1; set number1 and its count follows."}},
        {"a carried field", {"tag=1"}, {"tag: no page edits this field; it is carried as it is."}},
        {"the password",
         {"password=00"},
         {"password: no page edits this field; it is carried as it is."}},
        {"a bit no page edits",
         {"p12Flags=0x06"},
         {"p12Flags: only bits 0, 1, 4 and 5 can change; bits 2, 3, 6 and 7 stay as they are "
          "(0x00 here, 0x04 given)."}},
        {"a bit that needs another",
         {"enableBits=0x10"},
         {"enableBits: bit 4 counts only while bit 3 is set."}},
        {"a switch on an empty code",
         {"enableBits=0x80"},
         {"p12Code: must not be empty while bit 7 of enableBits is set."}},
        {"two switches on empty codes",
         {"enableBits2=1", "enableBits=0x98", "p22Code3="},
         {"p22Code3: must not be empty while bits 3 and 4 of enableBits are set.",
          "p12Code: must not be empty while bit 7 of enableBits is set.",
          "p12Digits: must not be empty while bit 0 of enableBits2 is set."}},
        {"emptying a switched-on code",
         {"p23Code="},
         {"p23Code: must not be empty while bit 5 of enableBits is set."},
         [](ConverterConfig& r) { r.bytes[ConfigOffset::enableBits] = 0x20; }},
        {"a number while its switch is off",
         {"p11Number=5"},
         {"p11Number: stays 0 while bit 0 of p11Select is clear (5 given)."}},
        {"one refusal among good values",
         {"number1=4711", "p11Count=99", "p22Code1=R5"},
         {"p11Count: takes 1..30 (99 given)."}},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.title);
        ConverterConfig record = defaults();
        if (c.before) {
            c.before(record);
        }
        const ConverterConfig original = record;
        EXPECT_EQ(ApplyFieldAssignments(record, parse(c.assignments)), c.refusals);
        EXPECT_EQ(record.bytes, original.bytes);
    }
}

// A damaged record is not the change's fault: a switch left on over an empty code (as older
// files load) does not stop a change elsewhere.
TEST(ConfigAssignment, OnlyWhatTheChangeTouchesIsChecked) {
    ConverterConfig record = defaults();
    record.bytes[ConfigOffset::enableBits] = 0x80; // p12Code is empty
    record.bytes[ConfigOffset::p11Number] = 9;     // while p11Select bit 0 is clear
    EXPECT_TRUE(ApplyFieldAssignments(record, parse({"number1=5"})).empty());
    EXPECT_EQ(value(record, "p11Number"), "9");
    // Turning on another switch checks that switch's codes only.
    EXPECT_TRUE(ApplyFieldAssignments(record, parse({"enableBits=0x81"})).empty());
    EXPECT_EQ(value(record, "enableBits"), "129");
    // Naming the field under the switch checks it.
    EXPECT_EQ(
        ApplyFieldAssignments(record, parse({"p12Code="})),
        std::vector<std::string>{"p12Code: must not be empty while bit 7 of enableBits is set."});
}

TEST(ConfigAssignment, ParsesNameAndValue) {
    const auto a = ParseFieldAssignment("p23Code=R=1");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->name, "p23Code");
    EXPECT_EQ(a->value, "R=1");
    EXPECT_EQ(ParseFieldAssignment("p23Code=")->value, "");
    EXPECT_FALSE(ParseFieldAssignment("p23Code").has_value());
    EXPECT_FALSE(ParseFieldAssignment("=R").has_value());
    EXPECT_EQ(ParseFieldNumber("0"), 0u);
    EXPECT_EQ(ParseFieldNumber("0x0"), 0u);
    EXPECT_EQ(ParseFieldNumber("4294967295"), 4294967295u);
    EXPECT_EQ(ParseFieldNumber("4294967296"), 4294967295u);
    EXPECT_EQ(ParseFieldNumber(" 1"), std::nullopt);
    EXPECT_EQ(ParseFieldNumber("+1"), std::nullopt);
    EXPECT_EQ(ParseFieldNumber("0x-1"), std::nullopt);
}

} // namespace
