// The document as the main window shows it: where the configuration came from, the file it
// would be saved to and whether it changed, in the title with its modified marker and in the
// save question; and a configuration file named on the command line.
#include "AppRig.h"

#include "config/ConfigFile.h"
#include "configview/ConfigPage.h"
#include "configview/PageTree.h"
#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/app/ProgramRun.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <fstream>

using namespace vandrel;
using Source = ConfigDocument::Source;

class DocumentStates : public AppRig {
protected:
    QString file(const char* name) const { return QString::fromStdString(files.file(name)); }

    // The shown title of a document named `name`.
    QString title(const QString& name, bool modified) const {
        if (name.isEmpty()) {
            return text(text::AppTitle);
        }
        return name + (modified ? QStringLiteral("*") : QString()) + QStringLiteral(" - ") +
               text(text::AppTitle);
    }
    QString readOverFile(const QString& fileName) const {
        return format(text::ReadOverFileNameFormat, {fileName});
    }

    // The save question the document would ask now, answered Cancel so that nothing changes;
    // empty when none is asked.
    QString saveQuestion(MainFrame& frame) {
        const std::size_t before = prompter.messages.size();
        prompter.answers.push_back(ResultCancel);
        const bool goOn = frame.configView()->QuerySave();
        if (prompter.messages.size() == before) {
            prompter.answers.clear();
            EXPECT_TRUE(goOn);
            return QString();
        }
        EXPECT_FALSE(goOn);
        const MessageRequest& asked = prompter.messages.back();
        EXPECT_EQ(asked.title, text(text::AppTitle));
        EXPECT_EQ(asked.style.buttons, MessageButtons::YesNoCancel);
        return asked.text;
    }

    void showPage(MainFrame& frame, int pageId) {
        PageTree* tree = frame.configView()->tree();
        for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
            if ((*it)->data(0, Qt::UserRole).toInt() == pageId) {
                tree->setCurrentItem(*it);
            }
        }
        ASSERT_EQ(frame.configView()->currentPage(), pageId);
    }

    // A change on page 23 that the page gives to the document when the user moves on.
    void edit(MainFrame& frame) {
        showPage(frame, 23);
        auto* toggle = frame.configView()->page()->findChild<QAbstractButton*>("ctl1010");
        ASSERT_NE(toggle, nullptr);
        toggle->click();
        showPage(frame, 0);
    }

    // File > Open, the converter, until its configuration and its versions have arrived.
    void readFromConverter(MainFrame& frame) {
        // Versions the converter never reports: its own show that its answer has been taken.
        DeviceInfo before;
        SetVersionText(before.firmwareVersion, "none yet");
        frame.document().takeDeviceInfo(before);
        const std::string firmware = withModel([](auto& m) { return m.firmwareVersion(); });
        prompter.dialogSteps.push_back(press("ctl1"));
        frame.command(cmd::FileOpen);
        ASSERT_TRUE(waitFor([&] {
            return !frame.busy() &&
                   VersionTextString(frame.document().deviceInfo().firmwareVersion) == firmware;
        }));
    }

    // File > Save, the converter, Write in the review, until the converter runs its new
    // configuration.
    void writeToConverter(MainFrame& frame) {
        const int waits = watch.count("vandrel::WaitDialog");
        prompter.dialogSteps.push_back(press("ctl1"));
        prompter.dialogSteps.push_back([](QDialog& review) {
            review.accept();
            return review.result();
        });
        frame.command(cmd::FileSave);
        ASSERT_TRUE(waitFor([&] {
            return watch.count("vandrel::WaitDialog") == waits + 1 &&
                   !frame.gateway().waitDialog() && !frame.busy() &&
                   withModel([](auto& m) { return m.running(); });
        }));
    }

    void openFile(MainFrame& frame, const QString& path) {
        prompter.dialogSteps.push_back(press("ctl1018"));
        prompter.openAnswers.push_back(FileChoice{path, 1});
        frame.command(cmd::FileOpen);
    }

    void saveToFile(MainFrame& frame, const QString& path) {
        prompter.dialogSteps.push_back(press("ctl1018"));
        prompter.saveAnswers.push_back(FileChoice{path, 1});
        frame.command(cmd::FileSave);
    }

    void switchLanguage(MainFrame& frame, const char* name) {
        prompter.dialogSteps.push_back(press("ctl1", [name](QDialog& dialog) {
            auto* list = dialog.findChild<QComboBox*>(QStringLiteral("ctl1001"));
            list->setCurrentIndex(list->findText(QString::fromLatin1(name)));
        }));
        frame.command(cmd::Language);
    }

    // A picture of the whole screen: on a display with a window manager it holds the title bar.
    void screenshotScreen(const QString& name) {
        QApplication::processEvents();
        const QString folder = QStringLiteral(VANDREL_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        QApplication::primaryScreen()->grabWindow(0).save(folder + QLatin1Char('/') + name +
                                                          QStringLiteral(".png"));
    }

    // The record a configuration file holds.
    ConverterConfig stored(const QString& path) const {
        ConverterConfig record;
        EXPECT_EQ(ReadConfigFile(path.toStdString(), record), kConfigLoaded);
        return record;
    }
};

struct Step {
    const char* what;
    std::function<void()> act;
    Source source;
    QString path;
    bool modified;
    QString title;    // as shown
    QString question; // the save question; empty when none is asked
};

TEST_F(DocumentStates, TitleAndSaveQuestionFollowEveryTransition) {
    MainFrame& frame = openWindow(); // the start-up question is cancelled
    const QString site = file("site1.DAT");
    const QString other = file("other.dat");
    const QString copy = file("copy.dat");
    ConverterConfig defaults;
    ResetToDefaults(&defaults);
    ASSERT_EQ(WriteConfigFile(other.toStdString(), defaults, DeviceInfo{}), kConfigWritten);
    const QString untitled = text(text::UntitledDocument);
    const QString saveUntitled = format(text::SaveChangesFormat, {untitled});
    const QString replaceSite = format(text::SaveReadOverFileFormat, {site});
    const QString overSite = readOverFile(QStringLiteral("site1.DAT"));

    const Step steps[] = {
        {"start", [] {}, Source::Empty, {}, false, title({}, false), {}},
        {"new",
         [&] { frame.command(cmd::FileNew); },
         Source::New,
         {},
         false,
         title(untitled, false),
         {}},
        {"edit", [&] { edit(frame); }, Source::New, {}, true, title(untitled, true), saveUntitled},
        {"save as",
         [&] { saveToFile(frame, site); },
         Source::File,
         site,
         false,
         title("site1.DAT", false),
         {}},
        {"read into the file's document", [&] { readFromConverter(frame); },
         Source::ConverterOverFile, site, true, title(overSite, true), replaceSite},
        {"edit", [&] { edit(frame); }, Source::ConverterOverFile, site, true, title(overSite, true),
         replaceSite},
        {"write to the converter", [&] { writeToConverter(frame); }, Source::ConverterOverFile,
         site, true, title(overSite, true), replaceSite},
        {"save",
         [&] { frame.command(cmd::SaveToFile); },
         Source::File,
         site,
         false,
         title("site1.DAT", false),
         {}},
        {"failed open",
         [&] { openFile(frame, file("missing.dat")); },
         Source::File,
         site,
         false,
         title("site1.DAT", false),
         {}},
        {"open",
         [&] { openFile(frame, other); },
         Source::File,
         other,
         false,
         title("other.dat", false),
         {}},
        {"close",
         [&] { frame.command(cmd::FileClose); },
         Source::Empty,
         {},
         false,
         title({}, false),
         {}},
        {"read into the empty view",
         [&] { readFromConverter(frame); },
         Source::Converter,
         {},
         true,
         title(untitled, true),
         saveUntitled},
        {"save as",
         [&] { saveToFile(frame, copy); },
         Source::File,
         copy,
         false,
         title("copy.dat", false),
         {}},
        {"new",
         [&] { frame.command(cmd::FileNew); },
         Source::New,
         {},
         false,
         title(untitled, false),
         {}},
        {"read into a new document",
         [&] { readFromConverter(frame); },
         Source::Converter,
         {},
         true,
         title(untitled, true),
         saveUntitled},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::size_t messages = prompter.messages.size();
        step.act();
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(frame.document().source(), step.source);
        EXPECT_EQ(frame.document().filePath().toStdString(), step.path.toStdString());
        EXPECT_EQ(frame.document().isModified(), step.modified);
        EXPECT_EQ(frame.isWindowModified(), step.modified);
        EXPECT_EQ(shownTitle(frame).toStdString(), step.title.toStdString());
        EXPECT_EQ(frame.menuAction(cmd::FileSave)->isEnabled(), step.source != Source::Empty);
        if (QStringLiteral("failed open") == QLatin1String(step.what)) {
            ASSERT_EQ(prompter.messages.size(), messages + 1);
            EXPECT_EQ(prompter.messages.back().text,
                      format(text::ConfigReadFailedFormat, {text(text::ConfigFileMissing)}));
        } else if (QStringLiteral("write to the converter") == QLatin1String(step.what)) {
            // The write says how it ended: written, read back and identical.
            ASSERT_EQ(prompter.messages.size(), messages + 1);
            EXPECT_EQ(prompter.messages.back().text, text(text::WriteVerified));
        } else {
            EXPECT_EQ(prompter.messages.size(), messages) << "a message on the way";
        }
        EXPECT_EQ(saveQuestion(frame).toStdString(), step.question.toStdString());
    }
    EXPECT_EQ(frame.recentFiles().entries(), (QStringList{site, other, copy}));
}

TEST_F(DocumentStates, AReadOverAFileSaysSoInEitherLanguageAndYesReplacesTheFile) {
    MainFrame& frame = openWindow();
    const QString site = file("site1.DAT");
    ConverterConfig kept;
    ResetToDefaults(&kept);
    kept.bytes[ConfigOffset::reserved] = 0x33;
    ASSERT_EQ(WriteConfigFile(site.toStdString(), kept, DeviceInfo{}), kConfigWritten);
    frame.resize(1000, 700);
    openFile(frame, site);
    readFromConverter(frame);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(shownTitle(frame), readOverFile("site1.DAT") + "* - " + text(text::AppTitle));
    screenshotScreen(QStringLiteral("read-over-file-en"));

    switchLanguage(frame, "Deutsch");
    ASSERT_EQ(core->linkSettings.language, 2u);
    EXPECT_EQ(shownTitle(frame), QStringLiteral("Vom Konverter gelesen, wird in site1.DAT "
                                                "gespeichert* - Vandrel"));
    const QString question = saveQuestion(frame);
    EXPECT_TRUE(question.startsWith(QStringLiteral("Die Konfiguration wurde vom Konverter")))
        << question.toStdString();
    EXPECT_TRUE(question.contains(site));
    EXPECT_EQ(question, format(text::SaveReadOverFileFormat, {site}));
    screenshotScreen(QStringLiteral("read-over-file-de"));

    // Yes to the question puts the converter's configuration into the file.
    switchLanguage(frame, "English");
    prompter.answers.push_back(ResultYes);
    frame.command(cmd::FileClose);
    EXPECT_EQ(prompter.messages.back().text, format(text::SaveReadOverFileFormat, {site}));
    EXPECT_TRUE(frame.document().isEmpty());
    const auto line = withModel([](auto& m) { return m.configImage(); });
    EXPECT_EQ(stored(site).bytes[ConfigOffset::reserved], line[ConfigOffset::reserved]);
    EXPECT_NE(stored(site).bytes[ConfigOffset::reserved], 0x33);
}

TEST_F(DocumentStates, ABracketedStarInAFileNameIsNoMarker) {
    MainFrame& frame = openWindow();
    const QString odd = file("odd[*].dat");
    frame.command(cmd::FileNew);
    saveToFile(frame, odd);
    ASSERT_EQ(frame.document().filePath(), odd);
    EXPECT_EQ(shownTitle(frame), QStringLiteral("odd[*].dat - ") + text(text::AppTitle));
    edit(frame);
    EXPECT_EQ(shownTitle(frame), QStringLiteral("odd[*].dat* - ") + text(text::AppTitle));
}

TEST_F(DocumentStates, TheMarkerShowsAnEditBeforeThePageIsLeftAndGoesWhenItIsUndone) {
    MainFrame& frame = openWindow();
    const QString site = file("site.dat");
    frame.command(cmd::FileNew);
    saveToFile(frame, site);
    const QString clean = QStringLiteral("site.dat - ") + text(text::AppTitle);
    ASSERT_EQ(shownTitle(frame), clean);
    showPage(frame, 23);
    auto* toggle = frame.configView()->page()->findChild<QAbstractButton*>("ctl1010");
    ASSERT_NE(toggle, nullptr);
    toggle->click();
    EXPECT_FALSE(frame.document().isModified()) << "the page still holds the edit";
    EXPECT_EQ(shownTitle(frame), QStringLiteral("site.dat* - ") + text(text::AppTitle));
    toggle->click();
    EXPECT_EQ(shownTitle(frame), clean) << "the edit undone on the page";
    toggle->click();
    showPage(frame, 0);
    EXPECT_TRUE(frame.document().isModified());
    EXPECT_EQ(shownTitle(frame), QStringLiteral("site.dat* - ") + text(text::AppTitle));
}

// A configuration file named on the command line: the window opens it in place of the start-up
// question, with File > Open's checks and messages.
class CommandLineFile : public AppRig {
protected:
    QString file(const char* name) const { return QString::fromStdString(files.file(name)); }

    // The window started with `path`, once the file has been opened or refused.
    MainFrame& startWith(const QString& path) {
        window = makeWindow();
        window->resize(900, 640);
        window->startUp(path);
        window->show();
        EXPECT_TRUE(
            waitFor([&] { return !window->document().isEmpty() || !prompter.messages.empty(); }));
        QTest::qWait(20); // nothing else is asked afterwards
        return *window;
    }
};

TEST_F(CommandLineFile, OpensTheFileInPlaceOfTheStartUpQuestion) {
    ConverterConfig record;
    ResetToDefaults(&record);
    record.bytes[ConfigOffset::reserved] = 0x77;
    const std::string path = files.file("site1.DAT");
    ASSERT_EQ(WriteConfigFile(path, record, DeviceInfo{}), kConfigWritten);
    // A relative name, as a shell passes it, means the same file wherever the window looks.
    const QString working = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(files.path().string())));
    MainFrame& frame = startWith(QStringLiteral("site1.DAT"));
    QDir::setCurrent(working);

    EXPECT_TRUE(prompter.dialogs.empty()) << "the start-up question was asked";
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(frame.document().filePath(), QString::fromStdString(path));
    EXPECT_EQ(frame.document().record().bytes, record.bytes);
    EXPECT_EQ(shownTitle(frame), QStringLiteral("site1.DAT - ") + text(text::AppTitle));
    EXPECT_EQ(frame.recentFiles().entries(), QStringList{QString::fromStdString(path)});
}

TEST_F(CommandLineFile, ABadOrMissingFileGetsFileOpensMessageAndNoDocument) {
    std::ofstream(files.file("bad.dat"), std::ios::binary) << std::string(787, 'x');
    struct Case {
        const char* name;
        int reason;
    };
    for (const Case& c :
         {Case{"bad.dat", text::ConfigFileDamaged}, Case{"missing.dat", text::ConfigFileMissing}}) {
        SCOPED_TRACE(c.name);
        prompter.messages.clear();
        prompter.dialogs.clear();
        MainFrame& frame = startWith(file(c.name));
        ASSERT_EQ(prompter.messages.size(), 1u);
        // The message File > Open gives for the same file.
        EXPECT_EQ(prompter.messages[0].text,
                  format(text::ConfigReadFailedFormat, {text(c.reason)}));
        EXPECT_EQ(prompter.messages[0].title, text(text::CaptionError));
        EXPECT_EQ(prompter.messages[0].style.icon, MessageIcon::Warning);
        EXPECT_TRUE(prompter.dialogs.empty()) << "the start-up question was asked";
        EXPECT_TRUE(frame.document().isEmpty());
        EXPECT_EQ(shownTitle(frame), text(text::AppTitle));
        EXPECT_TRUE(frame.recentFiles().entries().isEmpty());
        // The program runs on as after an ordinary start: File > Open gives the same message.
        prompter.dialogSteps.push_back(press("ctl1018"));
        prompter.openAnswers.push_back(FileChoice{file(c.name), 1});
        frame.command(cmd::FileOpen);
        ASSERT_EQ(prompter.messages.size(), 2u);
        EXPECT_EQ(prompter.messages[1].text, prompter.messages[0].text);
        window.reset();
    }
}

TEST_F(CommandLineFile, TheProgramTakesTheFileFromItsOptions) {
    ConverterConfig record;
    ResetToDefaults(&record);
    const QString path = file("given.dat");
    ASSERT_EQ(WriteConfigFile(path.toStdString(), record, DeviceInfo{}), kConfigWritten);
    core->linkSettings.save();
    QString opened;
    QTimer::singleShot(200, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* frame = qobject_cast<MainFrame*>(w); frame && frame->isVisible()) {
                opened = frame->document().filePath();
                frame->close();
            }
        }
    });
    RunOptions options;
    options.file = path;
    EXPECT_EQ(runProgram(core->language, prompter, options), 1);
    EXPECT_EQ(opened, path);
    EXPECT_TRUE(prompter.dialogs.empty());
}
