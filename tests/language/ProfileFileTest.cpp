#include "language/ProfileFile.h"

#include "LanguageTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using namespace vandrel;

namespace {

struct LookupCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected; // nothing: the key is missing
};

void PrintTo(const LookupCase& c, std::ostream* os) {
    *os << c.name;
}

class ProfileLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ProfileLookup, FindsTheValueAsTheProfileFunctionsDo) {
    const LookupCase& c = GetParam();
    const ProfileFile profile = ProfileFile::FromText(c.text);
    const std::string* value = profile.Find(c.section, c.key);
    if (c.expected) {
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(*value, *c.expected);
    } else {
        EXPECT_EQ(value, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileLookup,
    ::testing::Values(
        LookupCase{"Plain", "[strings]\n710=Text\n", "strings", "710", "Text"},
        LookupCase{"SectionCaseIgnored", "[Strings]\n1=a\n", "STRINGS", "1", "a"},
        LookupCase{"KeyCaseIgnored", "[general]\nVersion=1.3.2.0\n", "general", "VERSION",
                   "1.3.2.0"},
        LookupCase{"FirstKeyWins", "[s]\n1=first\n1=second\n", "s", "1", "first"},
        LookupCase{"FirstKeyWinsAcrossRepeatedSections", "[s]\n1=first\n[t]\n[S]\n1=second\n2=b\n",
                   "s", "1", "first"},
        LookupCase{"RepeatedSectionAddsKeys", "[s]\n1=a\n[t]\n[s]\n2=b\n", "s", "2", "b"},
        LookupCase{"BlanksTrimmed", "  [ s ]  \n\t 1 \t=  two words \t\r\n", "s", "1", "two words"},
        LookupCase{"RawValueNoEscapesNoQuotes", "[s]\n1=\"a\\nb\" ; not a comment\n", "s", "1",
                   "\"a\\nb\" ; not a comment"},
        LookupCase{"SecondEqualsBelongsToValue", "[s]\n1=a=b\n", "s", "1", "a=b"},
        LookupCase{"EmptyValueIsPresent", "[s]\n1=\n", "s", "1", ""},
        LookupCase{"CrLfAndBom", "\xEF\xBB\xBF[s]\r\n1=a\r\n2=b\r\n", "s", "2", "b"},
        LookupCase{"LastLineWithoutNewline", "[s]\n1=end", "s", "1", "end"},
        LookupCase{"ValueEndsAtNul", std::string("[s]\n1=ab\0cd\n2=x\n", 14), "s", "1", "ab"},
        LookupCase{"LineWithoutEqualsIgnored", "[s]\njunk line\n1=a\n", "s", "junk line",
                   std::nullopt},
        LookupCase{"CommentIgnored", "[s]\n;1=a\n", "s", ";1", std::nullopt},
        LookupCase{"KeyBeforeAnySectionIgnored", "1=a\n[s]\n", "s", "1", std::nullopt},
        LookupCase{"OtherSectionNotSearched", "[a]\n1=x\n[b]\n", "b", "1", std::nullopt},
        LookupCase{"UnclosedSectionHeader", "[s\n1=a\n", "s", "1", "a"},
        LookupCase{"LookupKeyTrimmed", "[s]\n1=a\n", "s", " 1 ", "a"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileFile, MissingKeyGivesFallbackButEmptyValueStaysEmpty) {
    const ProfileFile p = ProfileFile::FromText("[general]\nversion=\n");
    EXPECT_EQ(p.Get("general", "version", "0.0.0.0"), "");
    EXPECT_EQ(p.Get("general", "other", "0.0.0.0"), "0.0.0.0");
}

TEST(ProfileFile, IntegersReadLeadingDigitsAndSaturate) {
    const ProfileFile p =
        ProfileFile::FromText("[g]\na=2\nb=12abc\nc=-3\nd=x5\ne=99999999999999999999999\n");
    EXPECT_EQ(p.GetInt("g", "a", 0), 2);
    EXPECT_EQ(p.GetInt("g", "b", 0), 12);
    EXPECT_EQ(p.GetInt("g", "c", 0), -3);
    EXPECT_EQ(p.GetInt("g", "d", 7), 7);
    EXPECT_EQ(p.GetInt("g", "missing", 7), 7);
    EXPECT_EQ(p.GetInt("g", "e", 0), std::numeric_limits<long long>::max());
}

TEST(ProfileFile, ReadRefusesWhatIsNotASmallRegularFile) {
    TempDir dir;
    ProfileFile p;
    EXPECT_FALSE(p.Read(dir.file("missing.ini")));
    EXPECT_FALSE(p.Read(dir.path().string())); // a folder
    EXPECT_TRUE(p.empty());

    test::writeFile(dir.path() / "big.ini",
                    "[s]\n1=a\n" + std::string(ProfileFile::MaxFileSize, 'x'));
    EXPECT_FALSE(p.Read(dir.file("big.ini")));
    EXPECT_TRUE(p.empty());

    // A very long value within the limit is kept whole.
    const std::string longValue(100000, 'v');
    test::writeFile(dir.path() / "long.ini", "[s]\n1=" + longValue + "\n2=after\n");
    ASSERT_TRUE(p.Read(dir.file("long.ini")));
    EXPECT_EQ(p.Get("s", "1"), longValue);
    EXPECT_EQ(p.Get("s", "2"), "after");
}

} // namespace
