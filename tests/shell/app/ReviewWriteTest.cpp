// A write from the window against the stand-in converter: the review shows what changes and
// writes only on Write, the converter's configuration is backed up first, a backup that cannot
// be saved stops the write, and File > Restore backup puts a backup back through the review.
#include "AppRig.h"

#include "config/AccessPassword.h"
#include "config/ConfigFields.h"
#include "config/ConfigFile.h"
#include "configview/CompareView.h"
#include "configview/ConfigComparison.h"
#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/app/WriteFlow.h"
#include "shell/ui/BackupListDialog.h"

#include <QStatusBar>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace vandrel;

namespace {

ScriptedPrompter::DialogStep answer(bool accept, std::function<void(QDialog&)> look = {}) {
    return [accept, look](QDialog& dialog) {
        if (look) {
            look(dialog);
        }
        if (accept) {
            dialog.accept();
        } else {
            dialog.reject();
        }
        return dialog.result();
    };
}

ScriptedPrompter::DialogStep pressButton(const char* name) {
    return [name](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
        return dialog.result();
    };
}

class ReviewWrite : public AppRig {
protected:
    std::string backups() const { return files.file("backups"); }

    std::vector<std::filesystem::path> backupFiles() const {
        std::vector<std::filesystem::path> found;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(backups(), ec)) {
            found.push_back(entry.path());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    ConfigImage onConverter() {
        const ConverterConfig record = converterRecord();
        ConfigImage image{};
        std::copy(record.bytes.begin(), record.bytes.end(), image.begin());
        return image;
    }
    unsigned writes() {
        return withModel([](auto& m) { return m.framesReceived(sim::RequestKind::ConfigWrite); });
    }

    void openSiteFile(MainFrame& frame) { openFileDifferingFromConverter(frame); }

    // File > Save to the converter; the review (if one comes) is answered by `review`. Waits
    // until the flow is over and the window is idle.
    void saveToConverter(MainFrame& frame, std::optional<ScriptedPrompter::DialogStep> review) {
        prompter.dialogSteps.push_back(pressButton("ctl1")); // the converter
        if (review) {
            prompter.dialogSteps.push_back(*review);
        }
        frame.command(cmd::FileSave);
        ASSERT_TRUE(waitFor([&] { return !frame.writeFlow().running() && !frame.busy(); }));
    }

    bool documentOnConverter(MainFrame& frame) {
        const ConfigImage image = onConverter();
        return std::equal(image.begin(), image.end(), frame.document().record().bytes.begin());
    }
};

TEST_F(ReviewWrite, CancelWritesNothingAndWriteWritesTheDocumentAfterItsBackup) {
    MainFrame& frame = openWindow();
    openSiteFile(frame);
    ASSERT_FALSE(HasFatalFailure());
    const ConfigImage before = onConverter();

    saveToConverter(frame, answer(false));
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(prompter.dialogs.back(), QStringLiteral("vandrel::CompareView"));
    EXPECT_EQ(writes(), 0u) << "Cancel writes nothing";
    EXPECT_EQ(onConverter(), before);
    EXPECT_TRUE(backupFiles().empty()) << "nothing written, nothing backed up";
    EXPECT_EQ(frame.statusBar()->currentMessage(), text(text::NothingWritten));

    saveToConverter(frame, answer(true));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(waitShown(text::WriteVerified));
    EXPECT_TRUE(documentOnConverter(frame)) << "Write writes exactly the document";

    const auto saved = backupFiles();
    ASSERT_EQ(saved.size(), 1u);
    ConverterConfig backup;
    VersionText firmware{};
    ASSERT_EQ(ReadConfigFile(saved[0].string(), backup, &firmware), kConfigLoaded);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), backup.bytes.begin()))
        << "the backup is what the converter held";
    const std::string version = withModel([](auto& m) { return m.firmwareVersion(); });
    EXPECT_EQ(VersionTextString(firmware), version);
    EXPECT_NE(saved[0].filename().string().find(version), std::string::npos) << saved[0].filename();
    // Once the write has ended, the status bar still says where the backup went.
    EXPECT_EQ(frame.statusBar()->currentMessage(),
              format(text::BackupSavedFormat, {QString::fromStdString(saved[0].string())}));
}

TEST_F(ReviewWrite, RestoreBackupPutsTheConfigurationBackThroughTheReview) {
    core->windowSettings.reviewBeforeWrite = false;
    MainFrame& frame = openWindow();
    openSiteFile(frame);
    ASSERT_FALSE(HasFatalFailure());
    const ConverterConfig previousRecord = converterRecord();
    saveToConverter(frame, std::nullopt);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(waitShown(text::WriteVerified));
    ASSERT_TRUE(documentOnConverter(frame));
    ASSERT_EQ(backupFiles().size(), 1u);

    // The list counts the differences as the review lists them: the edited number, and the
    // password field when the session's password differs from the converter's.
    const ConfigComparison comparison =
        CompareConfigurations(ConfigSide{converterRecord(), std::nullopt},
                              ConfigSide{previousRecord, std::nullopt}, core->language);
    const std::size_t differing = comparison.onPages.size() + comparison.apart.size();
    ASSERT_GE(differing, 1u);

    QStringList listed;
    prompter.dialogSteps.push_back(answer(true, [&](QDialog& dialog) {
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("ctl1010"));
        ASSERT_NE(list, nullptr);
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            listed << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') +
                          item->text(2);
        }
    }));
    bool reviewed = false;
    prompter.dialogSteps.push_back(answer(
        true, [&](QDialog& dialog) { reviewed = qobject_cast<CompareView*>(&dialog) != nullptr; }));
    const std::size_t messages = prompter.messages.size();
    frame.command(cmd::RestoreBackup);
    ASSERT_TRUE(waitFor([&] {
        return prompter.messages.size() > messages && !frame.writeFlow().running() && !frame.busy();
    }));
    ASSERT_EQ(listed.size(), 1);
    const std::string version = withModel([](auto& m) { return m.firmwareVersion(); });
    EXPECT_TRUE(listed[0].endsWith(
        QStringLiteral("|%1|%2").arg(QString::fromStdString(version)).arg(differing)))
        << listed[0].toStdString() << ", " << differing << " fields differ";
    EXPECT_TRUE(reviewed) << "a restore is reviewed even with the review switched off";
    EXPECT_EQ(prompter.messages.back().text, text(text::WriteVerified));
    ConverterConfig restored = previousRecord;
    stampAccessPassword(restored, core->session.accessPassword());
    EXPECT_EQ(converterRecord().bytes, restored.bytes)
        << "the backup is on the converter again, with the session's password";
    EXPECT_EQ(backupFiles().size(), 2u) << "what the restore overwrote was backed up too";
    EXPECT_TRUE(frame.document().record().bytes != ConverterConfig{}.bytes);
}

TEST_F(ReviewWrite, ABackupThatCannotBeSavedStopsTheWrite) {
    // A folder inside a plain file cannot be made, whoever runs the test.
    const std::string plain = files.file("plain");
    std::ofstream(plain) << "not a folder";
    core->windowSettings.backupFolder = QString::fromStdString(plain + "/backups");
    core->windowSettings.reviewBeforeWrite = false;
    MainFrame& frame = openWindow();
    openSiteFile(frame);
    ASSERT_FALSE(HasFatalFailure());
    const ConfigImage before = onConverter();
    saveToConverter(frame, std::nullopt);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_FALSE(prompter.messages.empty());
    const QString told = prompter.messages.back().text;
    EXPECT_TRUE(
        told.startsWith(text(text::BackupFailedFormat)
                            .left(text(text::BackupFailedFormat).indexOf(QLatin1String("%s")))))
        << told.toStdString();
    EXPECT_TRUE(told.contains(QString::fromStdString(plain))) << told.toStdString();
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(onConverter(), before);

    // Switched off by the user, the backup no longer stands in the way.
    frame.menuAction(cmd::BackupBeforeWrite)->trigger();
    EXPECT_FALSE(core->windowSettings.backupBeforeWrite);
    saveToConverter(frame, std::nullopt);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(waitShown(text::WriteVerified));
    EXPECT_TRUE(documentOnConverter(frame));
}

} // namespace
