#include "language/LanguageManager.h"

#include "LanguageTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vandrel;
using namespace vandrel::test;

namespace {

const std::string GoodIndex = "[general]\nnum_languages=2\n"
                              "[language names]\n1=One\n2=Two\n"
                              "[language files]\n1=one.lng\n2=two.lng\n"
                              "[help files]\n1=one.htm\n";

const std::string GoodStrings = "[general]\nversion=1.3.2.0\n"
                                "[strings]\n1=Title\n10=Caption\n30=Fine\n31=Stop\n32=Sure\n"
                                "33=Nope\n100=Port %s: %s\n200=a\\nb\\n\n201=tail\\\n"
                                "[menus]\n1=&File\n"
                                "[tooltips]\n100=New\n101=Open\n102=Save\n103=Help\n";

const QString SettingMissing = QStringLiteral("Cannot find language setting!");
const QString Incompatible = QStringLiteral("Incompatible version of the language file!");

struct LoadFailure {
    const char* name;
    std::function<void(const WorkFolder&)> prepare;
    int id;
    // Message shown; "@" stands for the full path of the language file.
    QString message;
    bool keepsPath;
};

void PrintTo(const LoadFailure& c, std::ostream* os) {
    *os << c.name;
}

class LoadFails : public ::testing::TestWithParam<LoadFailure> {};

TEST_P(LoadFails, ShowsOneFixedMessageAndFails) {
    const LoadFailure& c = GetParam();
    WorkFolder work;
    c.prepare(work);
    LanguageManager lm;
    MessageLog log;
    isolate(lm, log);

    EXPECT_FALSE(lm.Load(c.id));
    EXPECT_TRUE(lm.failed());
    ASSERT_EQ(log.shown.size(), 1u);
    const MessageRequest& box = log.shown.front();
    QString expected = c.message;
    expected.replace(QLatin1Char('@'), work.qpath("two.lng"));
    EXPECT_EQ(box.text, expected);
    EXPECT_EQ(box.title, QStringLiteral("Error"));
    EXPECT_EQ(box.style.icon, MessageIcon::Error);
    EXPECT_EQ(box.style.buttons, MessageButtons::Ok);
    EXPECT_EQ(lm.languageFile(), c.keepsPath ? work.qpath("two.lng") : QString());

    // Whatever the cause, a failed manager gives nothing.
    QString text = QStringLiteral("stale");
    EXPECT_FALSE(lm.Text(1, text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(lm.MessageBox(1, 10, {}), NoResult);
    EXPECT_EQ(log.shown.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, LoadFails,
    ::testing::Values(
        LoadFailure{"IndexMissing", [](const WorkFolder&) {}, 1, SettingMissing, false},
        LoadFailure{"IdWithoutFileEntry",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI",
                                "[general]\nnum_languages=2\n[language files]\n1=one.lng\n");
                        w.write("one.lng", GoodStrings);
                    },
                    2, SettingMissing, false},
        LoadFailure{"IdZero", [](const WorkFolder& w) { w.write("LANG.INI", GoodIndex); }, 0,
                    SettingMissing, false},
        LoadFailure{"IndexIsBinaryGarbage",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI", std::string("\0\xff\xfe[\n=\x01\x80", 9));
                    },
                    1, SettingMissing, false},
        LoadFailure{"FileNameNotUtf8",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI", "[language files]\n2=tw\xc3\x28o.lng\n");
                    },
                    2, SettingMissing, false},
        LoadFailure{"LanguageFileMissing",
                    [](const WorkFolder& w) { w.write("LANG.INI", GoodIndex); }, 2,
                    QStringLiteral("Cannot find language file @!"), false},
        LoadFailure{"LanguageFileIsAFolder",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI", GoodIndex);
                        std::filesystem::create_directory(w.path("two.lng"));
                    },
                    2, QStringLiteral("Cannot find language file @!"), false},
        LoadFailure{"VersionDiffersInOneCharacter",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI", GoodIndex);
                        w.write("two.lng", "[general]\nversion=1.3.2.1\n[strings]\n1=x\n");
                    },
                    2, Incompatible, true},
        LoadFailure{"VersionLonger",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI", GoodIndex);
                        w.write("two.lng", "[general]\nversion=1.3.2.0.0\n");
                    },
                    2, Incompatible, true},
        LoadFailure{"VersionMissing",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI", GoodIndex);
                        w.write("two.lng", "[strings]\n1=x\n");
                    },
                    2, Incompatible, true},
        LoadFailure{"LanguageFileEmpty",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI", GoodIndex);
                        w.write("two.lng", "");
                    },
                    2, Incompatible, true},
        LoadFailure{"LanguageFileTooLarge",
                    [](const WorkFolder& w) {
                        w.write("LANG.INI", GoodIndex);
                        w.write("two.lng", "[general]\nversion=1.3.2.0\n[strings]\n1=" +
                                               std::string(ProfileFile::MaxFileSize, 'x'));
                    },
                    2, Incompatible, true}),
    [](const auto& info) { return std::string(info.param.name); });

class Loaded : public ::testing::Test {
protected:
    void SetUp() override {
        work.write("LANG.INI", GoodIndex);
        work.write("one.lng", GoodStrings);
        isolate(lm, log);
        ASSERT_TRUE(lm.Load(1));
        ASSERT_TRUE(log.shown.empty());
    }

    WorkFolder work;
    LanguageManager lm;
    MessageLog log;
};

TEST_F(Loaded, TextsWithLineBreaksAndLimits) {
    QString text;
    EXPECT_TRUE(lm.Text(200, text));
    // Each backslash-n pair becomes a space and a line feed, keeping the length.
    EXPECT_EQ(text, QStringLiteral("a \nb \n"));
    EXPECT_EQ(lm.Text(201), QStringLiteral("tail\\"));
    EXPECT_EQ(lm.Text(100, 6), QStringLiteral("Port %"));
    // A missing key is an empty text, not a failure.
    EXPECT_TRUE(lm.Text(999, text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(lm.languageFile(), work.qpath("one.lng"));
    EXPECT_EQ(lm.helpFile(), work.qpath("one.htm"));
}

TEST_F(Loaded, ButtonTextsAndTooltipsByTheirTables) {
    struct Row {
        int id;
        bool defined;
        const char* text;
    };
    const Row buttons[] = {{ResultOk, true, "Fine"},
                           {ResultCancel, true, "Stop"},
                           {ResultYes, true, "Sure"},
                           {ResultNo, true, "Nope"},
                           {3, false, ""},
                           {0, false, ""}};
    for (const Row& r : buttons) {
        QString text = QStringLiteral("stale");
        EXPECT_EQ(lm.ButtonText(r.id, text), r.defined) << r.id;
        EXPECT_EQ(text, QString::fromUtf8(r.text)) << r.id;
    }
    const Row tips[] = {{0xE100, true, "New"},  {0xE101, true, "Open"}, {0xE103, true, "Save"},
                        {0xE142, true, "Help"}, {0xE102, false, ""},    {0x8021, false, ""},
                        {0x8022, false, ""},    {0x801D, false, ""}};
    for (const Row& r : tips) {
        QString text = QStringLiteral("stale");
        EXPECT_EQ(lm.Tooltip(r.id, text), r.defined) << r.id;
        EXPECT_EQ(text, QString::fromUtf8(r.text)) << r.id;
    }
}

TEST_F(Loaded, MessageBoxesShowTranslatedTextsAndAnswerTheButton) {
    log.answer = ResultYes;
    MessageStyle style{MessageButtons::YesNo, MessageIcon::Question, ResultNo};
    EXPECT_EQ(lm.MessageBox(200, 0, style), ResultYes);
    ASSERT_EQ(log.shown.size(), 1u);
    EXPECT_EQ(log.shown[0].title, QStringLiteral("Title")); // title number 0 means 1
    EXPECT_EQ(log.shown[0].text, QStringLiteral("a \nb \n"));
    EXPECT_EQ(log.shown[0].style.defaultButton, ResultNo);
    EXPECT_EQ(log.shown[0].yesText, QStringLiteral("Sure"));
    EXPECT_EQ(log.shown[0].noText, QStringLiteral("Nope"));

    log.answer = ResultOk;
    EXPECT_EQ(lm.FormatMessageBox(100, 10, {}, {"ttyS1", "busy"}), ResultOk);
    EXPECT_EQ(log.shown.back().text, QStringLiteral("Port ttyS1: busy"));
    EXPECT_EQ(log.shown.back().title, QStringLiteral("Caption"));
    // Arguments that do not fit the text leave it as it stands.
    lm.FormatMessageBox(100, 10, {}, {"ttyS1"});
    EXPECT_EQ(log.shown.back().text, QStringLiteral("Port %s: %s"));
    lm.FormatMessageBox(100, 10, {}, {1, 2});
    EXPECT_EQ(log.shown.back().text, QStringLiteral("Port %s: %s"));
}

TEST_F(Loaded, FailedLoadSilencesEverythingUntilTheNextGoodLoad) {
    EXPECT_FALSE(lm.Load(2)); // two.lng does not exist
    ASSERT_EQ(log.shown.size(), 1u);
    QString text;
    EXPECT_FALSE(lm.Text(1, text));
    EXPECT_FALSE(lm.ButtonText(ResultOk, text));
    EXPECT_FALSE(lm.Tooltip(0xE100, text));
    EXPECT_EQ(lm.FormatMessageBox(100, 10, {}, {"a", "b"}), NoResult);
    EXPECT_EQ(log.shown.size(), 1u);

    ASSERT_TRUE(lm.Load(1));
    EXPECT_EQ(lm.Text(1), QStringLiteral("Title"));
}

TEST(LanguageManagerBadInput, ValuesThatAreNotUtf8ReadAsEmpty) {
    WorkFolder work;
    work.write("LANG.INI", GoodIndex);
    work.write("one.lng", "[general]\nversion=1.3.2.0\n[strings]\n1=ok \xc3\xa4\n"
                          "2=bad \xff\xfe\n3=cut \xc3\n4=surrogate \xed\xa0\x80\n"
                          "5=" +
                              std::string(200000, 'L') + "\n");
    LanguageManager lm;
    MessageLog log;
    isolate(lm, log);
    ASSERT_TRUE(lm.Load(1));
    EXPECT_EQ(lm.Text(1), QString::fromUtf8("ok \xc3\xa4"));
    for (int id : {2, 3, 4}) {
        QString text = QStringLiteral("stale");
        EXPECT_TRUE(lm.Text(id, text)) << id;
        EXPECT_TRUE(text.isEmpty()) << id;
    }
    EXPECT_EQ(lm.Text(5).size(), 200000);
    EXPECT_EQ(lm.Text(5, 259).size(), 259);
    lm.MessageBox(5, 5, {});
    ASSERT_EQ(log.shown.size(), 1u);
    EXPECT_EQ(log.shown[0].text.size(), 1023);
    EXPECT_EQ(log.shown[0].title.size(), 127);
}

TEST(LanguageIndex, CurrentDirectoryFirstThenTheLanguageFolders) {
    WorkFolder work;
    work.write("data/LANG.INI", "[general]\nnum_languages=1\n[language names]\n1=Data\n"
                                "[language files]\n1=data.lng\n[help files]\n1=h/data.htm\n");
    LanguageManager lm;
    MessageLog log;
    isolate(lm, log);
    lm.setLanguageFolders({work.qpath("nothing-here"), work.qpath("data")});

    EXPECT_EQ(lm.IndexFilePath(), work.qpath("data/LANG.INI"));
    QString name;
    QString path;
    QString help;
    ASSERT_TRUE(lm.LanguageInfo(1, &name, &path));
    EXPECT_EQ(name, QStringLiteral("Data"));
    // Without a "directory" the files are beside LANG.INI, and so is a relative help file.
    EXPECT_EQ(path, work.qpath("data/data.lng"));
    ASSERT_TRUE(lm.HelpFileOf(1, help));
    EXPECT_EQ(help, work.qpath("data/h/data.htm"));

    work.write("LANG.INI", GoodIndex);
    EXPECT_EQ(lm.IndexFilePath(), work.qpath("LANG.INI"));
    EXPECT_EQ(lm.LanguageCount(), 2);
    EXPECT_FALSE(lm.HelpFileOf(2, help));
    EXPECT_TRUE(help.isEmpty());
}

TEST(LanguageIndex, DirectoryAndCountRules) {
    struct Row {
        const char* name;
        std::string index;
        int count;
        const char* path; // relative to the work folder; nullptr: LanguageInfo fails
    };
    const Row rows[] = {
        {"EmptyDirectory", "[general]\nnum_languages=1\ndirectory=\n[language files]\n1=a.lng\n", 1,
         "a.lng"},
        {"RelativeDirectory",
         "[general]\nnum_languages=3\ndirectory=sub\n[language files]\n1=a.lng\n", 3, "sub/a.lng"},
        {"DirectoryWithSeparator", "[general]\ndirectory=sub/\n[language files]\n1=a.lng\n", 0,
         "sub/a.lng"},
        {"NegativeCount", "[general]\nnum_languages=-4\n[language files]\n1=a.lng\n", 0, "a.lng"},
        {"HugeCount", "[general]\nnum_languages=4000000000\n", 255, nullptr},
        {"NameOnlyNoFile", "[general]\nnum_languages=1\n[language names]\n1=x\n", 1, nullptr},
    };
    for (const Row& r : rows) {
        WorkFolder work;
        work.write("LANG.INI", r.index);
        LanguageManager lm;
        MessageLog log;
        isolate(lm, log);
        EXPECT_EQ(lm.LanguageCount(), r.count) << r.name;
        QString path;
        EXPECT_EQ(lm.LanguageInfo(1, nullptr, &path), r.path != nullptr) << r.name;
        if (r.path != nullptr) {
            EXPECT_EQ(QDir::cleanPath(path), work.qpath(r.path)) << r.name;
        }
    }

    WorkFolder work;
    work.write("LANG.INI", "[language names]\n1=" + std::string(100, 'n') +
                               "\n2=\n[language files]\n1=/abs/a.lng\n2=b.lng\n"
                               "[general]\ndirectory=/elsewhere\n");
    LanguageManager lm;
    MessageLog log;
    isolate(lm, log);
    QString name;
    QString path;
    ASSERT_TRUE(lm.LanguageInfo(1, &name, &path));
    EXPECT_EQ(name.size(), 63);
    EXPECT_FALSE(lm.LanguageInfo(2, &name, nullptr)); // an empty name
    ASSERT_TRUE(lm.LanguageInfo(2, nullptr, &path));
    EXPECT_EQ(path, QStringLiteral("/elsewhere/b.lng"));
}

TEST(ShowHelp, ContentsFileDecidesBetweenIndexAndStart) {
    struct Row {
        const char* name;
        const char* helpFile;
        const char* contentsFile; // created beside it; nullptr: none
        bool opened;
        const char* fragment;
    };
    const Row rows[] = {
        {"IndexWithContentsFile", "guide.htm", "guide.cnt", true, "index"},
        {"StartWithoutContentsFile", "guide.htm", nullptr, true, ""},
        {"LongExtensionNeverIndex", "guide.html", "guide.htmcnt", true, ""},
        {"NoExtension", "guide", "guide.cnt", true, ""},
        {"NoHelpFile", nullptr, nullptr, false, ""},
    };
    for (const Row& r : rows) {
        WorkFolder work;
        std::string index = "[general]\nnum_languages=1\n[language files]\n1=a.lng\n";
        if (r.helpFile != nullptr) {
            index += std::string("[help files]\n1=") + r.helpFile + "\n";
        }
        work.write("LANG.INI", index);
        work.write("a.lng", "[general]\nversion=1.3.2.0\n");
        if (r.contentsFile != nullptr) {
            work.write(r.contentsFile, "");
        }
        LanguageManager lm;
        MessageLog log;
        isolate(lm, log);
        std::vector<QUrl> opened;
        lm.setHelpOpener([&opened](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        ASSERT_TRUE(lm.Load(1)) << r.name;
        lm.ShowHelp(nullptr);
        ASSERT_EQ(opened.size(), r.opened ? 1u : 0u) << r.name;
        if (r.opened) {
            EXPECT_EQ(opened[0].toLocalFile(), work.qpath(r.helpFile)) << r.name;
            EXPECT_EQ(opened[0].fragment(), QString::fromUtf8(r.fragment)) << r.name;
        }
    }
}

} // namespace
