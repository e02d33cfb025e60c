// Help (F1): the desktop's viewer when there is one, else the program's own viewer.
#include "AppRig.h"

#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/ui/HelpWindow.h"

#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QTextBrowser>

#include <filesystem>
#include <fstream>

using namespace vandrel;

namespace {

// PATH for the length of a test: a folder that holds, at most, a stand-in xdg-open.
class PathOnly {
public:
    explicit PathOnly(const std::string& folder) : saved_(qgetenv("PATH")) {
        qputenv("PATH", QByteArray::fromStdString(folder));
    }
    ~PathOnly() { qputenv("PATH", saved_); }
    PathOnly(const PathOnly&) = delete;
    PathOnly& operator=(const PathOnly&) = delete;

private:
    QByteArray saved_;
};

// An xdg-open that notes what it was asked to open and ends with `exitCode` (3: no application
// for the file's type).
void writeXdgOpen(const std::filesystem::path& folder, int exitCode) {
    const std::filesystem::path script = folder / "xdg-open";
    std::ofstream(script) << "#!/bin/sh\necho \"$1\" > \"" << (folder / "opened").string()
                          << "\"\nexit " << exitCode << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
}

QString helpFile(const char* name) {
    return QFileInfo(QStringLiteral(VANDREL_SOURCE_DIR "/lang/") + QLatin1String(name))
        .absoluteFilePath();
}

} // namespace

class Help : public AppRig {
protected:
    // The help window once no opening process is left.
    HelpWindow* afterOpening(MainFrame& frame) {
        EXPECT_TRUE(waitFor([&] { return frame.findChildren<QProcess*>().isEmpty(); }));
        QCoreApplication::processEvents();
        return frame.helpWindow();
    }
};

TEST_F(Help, WithoutADesktopViewerTheProgramShowsTheHelpFileItself) {
    // The two ways there is no desktop viewer: the opener says so, or there is no xdg-open.
    for (const bool injected : {true, false}) {
        SCOPED_TRACE(injected ? "opener answers false" : "no xdg-open");
        TempDir bin;
        PathOnly path(bin.path().string());
        QList<QUrl> asked;
        if (injected) {
            core->language.setHelpOpener([&](const QUrl& url) {
                asked << url;
                return false;
            });
        }
        MainFrame& frame = openWindow();
        frame.command(cmd::HelpIndex);
        EXPECT_EQ(asked.size(), injected ? 1 : 0);
        HelpWindow* help = frame.helpWindow();
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        EXPECT_TRUE(help->isWindow());
        EXPECT_EQ(help->windowTitle(), text(text::HelpWindowTitle));
        EXPECT_EQ(help->source().toLocalFile(), helpFile("vandrel_en.htm"));
        EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Vandrel Help")));
        screenshot(help, QStringLiteral("help-window"));

        // Closed and asked for again: the same window comes back; asked while open: no second.
        help->close();
        EXPECT_FALSE(help->isVisible());
        frame.command(cmd::HelpIndex);
        frame.command(cmd::HelpIndex);
        EXPECT_EQ(frame.helpWindow(), help);
        EXPECT_TRUE(help->isVisible());
        EXPECT_EQ(frame.findChildren<HelpWindow*>().size(), 1);

        // A language switch retitles it and shows the new language's help.
        prompter.dialogSteps.push_back(press("ctl1", [](QDialog& dialog) {
            auto* list = dialog.findChild<QComboBox*>(QStringLiteral("ctl1001"));
            list->setCurrentIndex(list->findText(QStringLiteral("Deutsch")));
        }));
        frame.command(cmd::Language);
        EXPECT_EQ(help->windowTitle(), QStringLiteral("Vandrel-Hilfe"));
        EXPECT_EQ(help->source().toLocalFile(), helpFile("vandrel_de.htm"));
        screenshot(help, QStringLiteral("help-window-german"));

        window.reset();
        core->language.setHelpOpener(nullptr);
        core->linkSettings.language = 1;
        ASSERT_TRUE(core->language.Switch(1));
    }
}

TEST_F(Help, AnXdgOpenWithoutAnApplicationForTheFileLeavesItToTheProgram) {
    TempDir bin;
    writeXdgOpen(bin.path(), 3);
    PathOnly path(bin.path().string());
    MainFrame& frame = openWindow();
    frame.command(cmd::HelpIndex);
    HelpWindow* help = afterOpening(frame);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->source().toLocalFile(), helpFile("vandrel_en.htm"));
}

TEST_F(Help, WithADesktopViewerTheDesktopShowsTheHelp) {
    // Asked through the opener, and through a real xdg-open that succeeds.
    QList<QUrl> asked;
    core->language.setHelpOpener([&](const QUrl& url) {
        asked << url;
        return true;
    });
    {
        MainFrame& frame = openWindow();
        frame.command(cmd::HelpIndex);
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(asked[0].toLocalFile(), helpFile("vandrel_en.htm"));
        EXPECT_EQ(frame.helpWindow(), nullptr);
        window.reset();
    }
    core->language.setHelpOpener(nullptr);
    TempDir bin;
    writeXdgOpen(bin.path(), 0);
    PathOnly path(bin.path().string());
    MainFrame& frame = openWindow();
    frame.command(cmd::HelpIndex);
    EXPECT_EQ(afterOpening(frame), nullptr);
    QFile opened(QString::fromStdString((bin.path() / "opened").string()));
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QUrl(QString::fromUtf8(opened.readAll().trimmed())).toLocalFile(),
              helpFile("vandrel_en.htm"));
}
