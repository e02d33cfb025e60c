// The document commands of the main window with real files, the recent-file list in the
// settings store, and a configuration read from the stand-in converter.
#include "AppRig.h"

#include "language/TextIds.h"
#include "settings/RecentFileList.h"
#include "settings/RegistryStore.h"
#include "shell/app/CommandIds.h"

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <filesystem>

using namespace vandrel;

class DocumentFlows : public AppRig {
protected:
    // The shown title of a document named `name`, with the modified marker when it changed.
    QString title(const QString& name, bool modified = false) const {
        return name + (modified ? QStringLiteral("* - ") : QStringLiteral(" - ")) + text(1);
    }
    QString storedRecent(int i) const {
        return RegistryStore::readString(
            RegistryRoot::CurrentUser, kSettingsKeyPath + QStringLiteral("\\Recent Document List"),
            QStringLiteral("Document%1").arg(i), 260, QString());
    }
    QString file(const char* name) const { return QString::fromStdString(files.file(name)); }
};

TEST_F(DocumentFlows, CtrlSOnAnEmptyViewAsksNothing) {
    MainFrame& frame = openWindow();
    QTest::qWait(50); // the start-up question has been answered (Cancel)
    const std::size_t before = prompter.messages.size() + prompter.dialogs.size();
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    QTest::qWait(20);
    EXPECT_EQ(prompter.messages.size() + prompter.dialogs.size(), before);
    EXPECT_TRUE(prompter.saveRequests.empty());
    EXPECT_TRUE(frame.document().isEmpty());
    EXPECT_FALSE(frame.menuAction(cmd::FileSave)->isEnabled());
    EXPECT_FALSE(frame.toolAction(cmd::FileSave)->isEnabled());
}

TEST_F(DocumentFlows, SaveToAFileThenReopenItFromTheRecentList) {
    MainFrame& frame = openWindow();
    frame.command(cmd::FileNew);
    EXPECT_EQ(shownTitle(frame), title(text(text::UntitledDocument)));
    EXPECT_TRUE(frame.menuAction(cmd::FileSave)->isEnabled());

    const QString path = file("first.dat");
    prompter.dialogSteps.push_back(press("ctl1018")); // to a file
    prompter.saveAnswers.push_back(FileChoice{path, 2});
    frame.command(cmd::FileSave);
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(prompter.saveRequests.at(0).title, text(text::ConfigSaveTitle));
    EXPECT_EQ(prompter.saveRequests.at(0).defaultSuffix, QStringLiteral("DAT"));
    EXPECT_EQ(shownTitle(frame), title(QStringLiteral("first.dat")));
    EXPECT_EQ(frame.documents().filterIndex(), 2);
    EXPECT_EQ(core->windowSettings.browsePathData, QFileInfo(path).absolutePath() + '/');
    EXPECT_EQ(storedRecent(1), path);

    frame.command(cmd::FileClose);
    EXPECT_TRUE(frame.document().isEmpty());
    EXPECT_EQ(shownTitle(frame), text(1));
    QAction* recent = frame.menuAction(cmd::FileRecentFirst);
    ASSERT_NE(recent, nullptr);
    EXPECT_TRUE(recent->text().contains(QStringLiteral("first.dat")));
    recent->trigger();
    EXPECT_FALSE(frame.document().isEmpty());
    EXPECT_EQ(frame.document().filePath(), path);
    EXPECT_EQ(shownTitle(frame), title(QStringLiteral("first.dat")));
}

TEST_F(DocumentFlows, ARecentFileThatIsGoneLeavesTheListAndTheStore) {
    const QString kept = file("kept.dat");
    const QString gone = file("gone.dat");
    {
        MainFrame& frame = openWindow();
        for (const QString& path : {kept, gone}) {
            frame.command(cmd::FileNew);
            prompter.saveAnswers.push_back(FileChoice{path, 1});
            frame.command(cmd::SaveToFile);
        }
        ASSERT_EQ(frame.recentFiles().entries(), (QStringList{kept, gone}));
    }
    std::filesystem::remove(gone.toStdString());
    window.reset();
    MainFrame& frame = openWindow();
    ASSERT_EQ(frame.recentFiles().entries(), (QStringList{kept, gone}));
    frame.command(cmd::FileRecentFirst); // the newest: gone.dat
    EXPECT_TRUE(shownText(format(text::ConfigReadFailedFormat, {text(text::ConfigFileMissing)})));
    EXPECT_EQ(frame.recentFiles().entries(), QStringList{kept});
    EXPECT_EQ(storedRecent(1), kept);
    EXPECT_TRUE(storedRecent(2).isEmpty());
    EXPECT_TRUE(frame.document().isEmpty());
}

TEST_F(DocumentFlows, OnlyTheFirstDroppedFileIsOpened) {
    MainFrame& frame = openWindow();
    const QString first = file("a.dat");
    const QString second = file("b.dat");
    for (const QString& path : {second, first}) {
        frame.command(cmd::FileNew);
        prompter.saveAnswers.push_back(FileChoice{path, 1});
        frame.command(cmd::SaveToFile);
    }
    frame.command(cmd::FileClose);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    // As the desktop delivers it: to the window, entered first, then dropped.
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.windowHandle(), &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.windowHandle(), &drop);
    EXPECT_EQ(frame.document().filePath(), first);
    EXPECT_EQ(shownTitle(frame), title(QStringLiteral("a.dat")));
    EXPECT_EQ(frame.recentFiles().entries().last(), first);
}

TEST_F(DocumentFlows, AReadFromTheConverterIsShownAsModifiedAndCancelKeepsTheWindowOpen) {
    withModel([](auto& m) { m.setPassword(""); });
    MainFrame& frame = openWindow();
    ASSERT_TRUE(frame.gateway().readConfiguration());
    ASSERT_TRUE(waitFor([&] { return !frame.document().isEmpty() && !frame.busy(); }));
    EXPECT_TRUE(frame.document().isModified());
    EXPECT_EQ(shownTitle(frame), title(text(text::UntitledDocument), true));
    // The converter keeps the record's tag most significant byte first.
    auto line = withModel([](auto& m) { return m.configImage(); });
    std::swap(line[0], line[1]);
    const ConverterConfig& record = frame.document().record();
    EXPECT_TRUE(std::equal(line.begin(), line.end(), record.bytes.begin()));
    screenshot(&frame, QStringLiteral("main-configuration"));

    prompter.answers.push_back(ResultCancel);
    frame.close();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_TRUE(shownText(format(text::SaveChangesFormat, {text(text::UntitledDocument)})));
    EXPECT_TRUE(core->channel.isOpen());
}

TEST_F(DocumentFlows, ARecentFileChosenWithUnsavedChangesOpensThatFileAfterTheSave) {
    MainFrame& frame = openWindow();
    const QString older = file("older.dat");
    const QString newer = file("newer.dat");
    for (const QString& path : {older, newer}) {
        frame.command(cmd::FileNew);
        prompter.saveAnswers.push_back(FileChoice{path, 1});
        frame.command(cmd::SaveToFile);
    }
    // A document that came from the converter: modified, and without a file.
    frame.command(cmd::FileClose);
    ASSERT_TRUE(frame.gateway().readConfiguration());
    ASSERT_TRUE(waitFor([&] { return !frame.document().isEmpty() && !frame.busy(); }));
    ASSERT_TRUE(frame.document().filePath().isEmpty());

    // The second newest entry; saving first under a new name puts that name on top.
    const QString saved = file("saved.dat");
    prompter.answers.push_back(ResultYes);
    prompter.saveAnswers.push_back(FileChoice{saved, 1});
    frame.command(cmd::FileRecentFirst + 1);

    EXPECT_TRUE(QFileInfo::exists(saved));
    EXPECT_EQ(frame.document().filePath(), older);
    EXPECT_EQ(shownTitle(frame), title(QStringLiteral("older.dat")));
    EXPECT_EQ(frame.recentFiles().entries(), (QStringList{newer, saved, older}));
}
