#include "language/TextFormat.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vandrel;

namespace {

struct FormatCase {
    const char* name;
    const char* format;
    std::vector<FormatArg> args;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class Format : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Format, FormatsOrLeavesTheConversionsAsTheyStand) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatText(QString::fromUtf8(c.format), c.args).toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Matching, Format,
    ::testing::Values(
        FormatCase{"TwoTexts",
                   "Cannot open %s.\n%s",
                   {"/dev/ttyS0", "Gone."},
                   "Cannot open /dev/ttyS0.\nGone."},
        FormatCase{"Percent", "100%% of %s", {"x"}, "100% of x"},
        FormatCase{"Integers", "%d|%i|%u|%x|%X", {-5, 7, -1, 255, 255}, "-5|7|4294967295|ff|FF"},
        FormatCase{"WidthAndFlags",
                   "[%5d][%-5d][%05d][%#x][%02X]",
                   {42, 42, -42, 26, 7},
                   "[   42][42   ][-0042][0x1a][07]"},
        FormatCase{"Precision", "[%.3s][%.4d][%6.2s]", {"abcdef", 7, "xyz"}, "[abc][0007][    xy]"},
        FormatCase{"SizePrefixes",
                   "%hd %ld %I64d %lld",
                   {65537, 3, 1LL << 40, -(1LL << 40)},
                   "1 3 1099511627776 -1099511627776"},
        FormatCase{"Char", "%c%c", {65, 0x00E4}, "A\xC3\xA4"},
        FormatCase{
            "UnicodeText", "\xC3\x84nderungen an %s?", {"Datei"}, "\xC3\x84nderungen an Datei?"},
        FormatCase{"ArgumentTextKeepsPercent", "%s", {"50%s"}, "50%s"}),
    [](const auto& info) { return std::string(info.param.name); });

// Language files are edited by anyone: a text whose conversions do not fit the call site is
// shown as it stands rather than reading arguments that are not there.
INSTANTIATE_TEST_SUITE_P(
    Mismatched, Format,
    ::testing::Values(FormatCase{"TooManyConversions", "%s %s %s", {"a", "b"}, "%s %s %s"},
                      FormatCase{"TooFewConversions", "only %s", {"a", "b"}, "only %s"},
                      FormatCase{"NumberWhereTextIs", "port %d", {"COM1"}, "port %d"},
                      FormatCase{"TextWhereNumberIs", "count %s", {3}, "count %s"},
                      FormatCase{"UnknownConversion", "%n%s", {"a"}, "%n%s"},
                      FormatCase{"FloatNotSupported", "%f", {1}, "%f"},
                      FormatCase{"LonePercentAtEnd", "%s 100%", {"a"}, "%s 100%"},
                      FormatCase{"NoArgumentsForConversion", "%s", {}, "%s"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatText, HugeWidthStaysBounded) {
    const std::vector<FormatArg> args{"a"};
    const QString out = FormatText(QStringLiteral("%99999999999s"), args);
    EXPECT_LE(out.size(), 1024);
    EXPECT_TRUE(out.endsWith(QLatin1Char('a')));
}

TEST(FormatText, OutputIsCutToTheLimitWithoutSplittingACharacter) {
    const std::vector<FormatArg> args{QString(2000, QLatin1Char('x'))};
    EXPECT_EQ(FormatText(QStringLiteral("%s"), args, 1023).size(), 1023);
    // U+1F600 is two UTF-16 units; a cut between them would leave half a character.
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(CutText(QStringLiteral("ab") + smiley, 3), QStringLiteral("ab"));
    EXPECT_EQ(CutText(QStringLiteral("ab") + smiley, 4), QStringLiteral("ab") + smiley);
    EXPECT_EQ(CutText(QStringLiteral("abc"), -1), QStringLiteral("abc"));
}

TEST(ConversionKinds, ListsTheKindsInOrder) {
    EXPECT_EQ(ConversionKinds(QStringLiteral("%s and %d, %%, %-08.3lX %c %S")), "sddds");
    EXPECT_EQ(ConversionKinds(QStringLiteral("plain 100%%")), "");
    EXPECT_EQ(ConversionKinds(QStringLiteral("bad %y")), std::nullopt);
    EXPECT_EQ(ConversionKinds(QStringLiteral("bad %")), std::nullopt);
}

} // namespace
