// The language files that ship with the program against the text ids the code uses.
#include "language/LanguageFolders.h"
#include "language/LanguageManager.h"
#include "language/ProfileFile.h"
#include "language/TextIds.h"

#include "LanguageTestSupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <set>

using namespace vandrel;
using namespace vandrel::test;

namespace {

const char* sectionName(text::Section s) {
    switch (s) {
    case text::Section::Strings:
        return "strings";
    case text::Section::Menus:
        return "menus";
    case text::Section::Tooltips:
        return "tooltips";
    }
    return "";
}

struct ShippedLanguage {
    LanguageManager lm;
    MessageLog log;
    ProfileFile file;
};

// Loads language `id` from the shipped lang/ folder, as a program started elsewhere would.
void loadShipped(ShippedLanguage& s, int id) {
    isolate(s.lm, s.log);
    s.lm.setLanguageFolders({shippedLangFolder()});
    ASSERT_TRUE(s.lm.Load(id)) << id;
    ASSERT_TRUE(s.log.shown.empty());
    ASSERT_TRUE(s.file.Read(s.lm.languageFile().toStdString()));
}

TEST(TextIdRegistry, EveryIdOnceEachFormatWithKnownKinds) {
    std::set<std::pair<text::Section, int>> seen;
    for (const text::TextIdInfo& info : text::AllTextIds) {
        EXPECT_TRUE(seen.insert({info.section, info.id}).second)
            << sectionName(info.section) << " " << info.id << " listed twice";
        EXPECT_EQ(info.args.find_first_not_of("sd"), std::string_view::npos) << info.id;
    }
}

class ShippedFile : public ::testing::TestWithParam<int> {};

TEST_P(ShippedFile, DefinesEveryTextIdWithTheConversionsOfItsCallSite) {
    WorkFolder work; // a current directory without LANG.INI
    ShippedLanguage s;
    loadShipped(s, GetParam());
    if (HasFatalFailure()) {
        return;
    }
    for (const text::TextIdInfo& info : text::AllTextIds) {
        const char* section = sectionName(info.section);
        const std::string* raw = s.file.Find(section, std::to_string(info.id));
        ASSERT_NE(raw, nullptr) << section << " " << info.id << " missing";
        QString text;
        switch (info.section) {
        case text::Section::Strings:
            EXPECT_TRUE(s.lm.Text(info.id, text));
            break;
        case text::Section::Tooltips:
        case text::Section::Menus:
            text = QString::fromUtf8(*raw);
            break;
        }
        EXPECT_FALSE(text.trimmed().isEmpty()) << section << " " << info.id << " empty";
        // Texts shown through a format carry exactly the conversions their call site fills;
        // every other text is shown as it is and needs none.
        const auto kinds = ConversionKinds(text);
        ASSERT_TRUE(kinds.has_value()) << section << " " << info.id << ": " << raw;
        EXPECT_EQ(*kinds, std::string(info.args)) << section << " " << info.id << ": " << *raw;
    }
    // The toolbar tooltips come through their commands.
    for (int command : {0xE100, 0xE101, 0xE103, 0xE142}) {
        QString tip;
        EXPECT_TRUE(s.lm.Tooltip(command, tip));
        EXPECT_FALSE(tip.isEmpty()) << command;
    }
}

TEST_P(ShippedFile, HasAHelpFileAndTheStandardButtons) {
    WorkFolder work;
    ShippedLanguage s;
    loadShipped(s, GetParam());
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_TRUE(QFileInfo(s.lm.helpFile()).isFile()) << s.lm.helpFile().toStdString();
    for (int button : {ResultOk, ResultCancel, ResultYes, ResultNo}) {
        QString text;
        EXPECT_TRUE(s.lm.ButtonText(button, text));
        EXPECT_FALSE(text.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedFile, ::testing::Values(1, 2));

TEST(ShippedLanguages, IndexNamesEnglishAndGermanAndTheAccessHint) {
    WorkFolder work;
    LanguageManager lm;
    MessageLog log;
    isolate(lm, log);
    lm.setLanguageFolders({shippedLangFolder()});
    ASSERT_EQ(lm.LanguageCount(), 2);
    QString name;
    ASSERT_TRUE(lm.LanguageInfo(1, &name, nullptr));
    EXPECT_EQ(name, QStringLiteral("English"));
    ASSERT_TRUE(lm.LanguageInfo(2, &name, nullptr));
    EXPECT_EQ(name, QStringLiteral("Deutsch"));
    // A denied port on Linux is nearly always a missing group membership: say which.
    for (int id : {1, 2}) {
        ASSERT_TRUE(lm.Load(id));
        EXPECT_TRUE(lm.Text(text::PortAccessDenied).contains(QStringLiteral("dialout"))) << id;
    }
}

TEST(ShippedLanguages, BuildTreeCopyIsFoundWithoutSettings) {
    WorkFolder work;
    LanguageManager lm;
    MessageLog log;
    lm.setMessageHandler(log.handler());
    // Default folders: the program's data folder or the build tree's copy.
    ASSERT_FALSE(lm.IndexFilePath().isEmpty());
    EXPECT_TRUE(lm.Load(1));
    EXPECT_TRUE(log.shown.empty());
}

} // namespace
