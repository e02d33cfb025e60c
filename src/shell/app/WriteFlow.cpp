#include "shell/app/WriteFlow.h"

#include "config/AccessPassword.h"
#include "config/ConfigBackups.h"
#include "config/ConfigFields.h"
#include "config/ConfigFile.h"
#include "configview/CompareView.h"
#include "configview/ConfigComparison.h"
#include "language/LanguageManager.h"
#include "language/TextFormat.h"
#include "language/TextIds.h"
#include "settings/WindowSettings.h"
#include "shell/app/BackupLocation.h"
#include "shell/ui/BackupListDialog.h"
#include "shell/ui/Prompter.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <chrono>
#include <utility>

namespace vandrel {

namespace {

QString shownTime(std::chrono::system_clock::time_point when) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

WriteFlow::WriteFlow(DeviceGateway& gateway, const LanguageManager& language, Prompter& prompter,
                     const WindowSettings& settings, QWidget* window)
    : QObject(window), gateway_(gateway), language_(language), prompter_(prompter),
      settings_(settings), window_(window) {
    // The write's progress takes the status bar; once it has ended, the backup is named again
    // so that the technician sees where what the converter held went.
    connect(&gateway_, &DeviceGateway::resultTold, this, [this](OperationKind kind) {
        if (kind == OperationKind::ConfigWrite && !backupNote_.isEmpty()) {
            emit statusNote(std::exchange(backupNote_, QString()));
        }
    });
}

WriteFlow::~WriteFlow() {
    delete review_;
    delete list_;
}

void WriteFlow::write(const ConverterConfig& record) {
    if (running()) {
        QApplication::beep();
        return;
    }
    record_ = record;
    if (!settings_.reviewBeforeWrite && !settings_.backupBeforeWrite) {
        gateway_.writeConfiguration(record_);
        return;
    }
    readConverter(Purpose::Write);
}

void WriteFlow::restoreBackup() {
    if (running()) {
        QApplication::beep();
        return;
    }
    readConverter(Purpose::Restore);
}

void WriteFlow::readConverter(Purpose purpose) {
    step_ = Step::Reading;
    present_.reset();
    QPointer<WriteFlow> self(this);
    const bool sent = gateway_.readForComparison([self, purpose](auto snapshot) {
        if (self) {
            self->onConverterRead(purpose, std::move(snapshot));
        }
    });
    if (!sent) {
        step_ = Step::Idle;
    }
}

void WriteFlow::onConverterRead(Purpose purpose, std::optional<ConverterSnapshot> snapshot) {
    if (!snapshot) {
        // The read's failure has been told; without the converter's configuration nothing is
        // reviewed, backed up or written.
        step_ = Step::Idle;
        emit statusNote(language_.Text(text::NothingWritten));
        return;
    }
    present_ = std::move(snapshot);
    if (purpose == Purpose::Restore) {
        listBackups();
    } else if (settings_.reviewBeforeWrite) {
        openReview(language_.Text(text::SideToWrite));
    } else {
        backupAndWrite();
    }
}

void WriteFlow::listBackups() {
    const QString folder = backupFolderPath(settings_);
    const BackupFolder backups(localPath(folder));
    std::vector<BackupListEntry> entries;
    for (const BackupEntry& backup : backups.list()) {
        BackupListEntry entry;
        entry.path = QFile::decodeName(backup.path.string().c_str());
        entry.saved = shownTime(backup.when);
        entry.firmware = backup.firmwareVersion.empty()
                             ? language_.Text(text::FirmwareUnknown)
                             : QString::fromStdString(backup.firmwareVersion);
        ConverterConfig record;
        if (backup.readable && ReadConfigFile(backup.path.string(), record) == kConfigLoaded) {
            // Counted as the review will list them, so the two numbers agree.
            const ConfigComparison comparison =
                CompareConfigurations(ConfigSide{present_->record, std::nullopt},
                                      ConfigSide{record, std::nullopt}, language_);
            entry.differing = QString::number(comparison.onPages.size() + comparison.apart.size());
        } else {
            entry.differing = language_.Text(text::BackupDamaged);
        }
        entries.push_back(std::move(entry));
    }
    if (entries.empty()) {
        step_ = Step::Idle;
        tell(text::NoBackupsFormat, {QDir::toNativeSeparators(folder)});
        return;
    }
    step_ = Step::Choosing;
    list_ = new BackupListDialog(std::move(entries), language_, window_);
    BackupListDialog* dialog = list_;
    prompter_.openDialog(*dialog, [this, dialog](int result) {
        std::optional<BackupListEntry> chosen;
        if (result == QDialog::Accepted && dialog->chosen() != nullptr) {
            chosen = *dialog->chosen();
        }
        dialog->deleteLater();
        list_ = nullptr;
        if (!chosen) {
            step_ = Step::Idle;
            return;
        }
        onBackupChosen(chosen->path, chosen->saved);
    });
}

void WriteFlow::onBackupChosen(const QString& path, const QString& saved) {
    ConverterConfig record;
    const int code = ReadConfigFile(localPath(path), record);
    if (code != kConfigLoaded) {
        step_ = Step::Idle;
        tell(text::BackupUnreadableFormat,
             {QDir::toNativeSeparators(path),
              language_.Text(code == kConfigMissing ? text::ConfigFileMissing
                                                    : text::ConfigFileDamaged)});
        return;
    }
    // Like every write, with the password this session uses: the converter stays reachable with
    // it, whatever password it had when the backup was made.
    record_ = record;
    stampAccessPassword(record_, gateway_.accessPassword());
    const FormatArg when(saved);
    // A restore is always reviewed: the user picked a backup from a list, not a page they edited.
    openReview(FormatText(language_.Text(text::SideBackupFormat), std::span(&when, 1)));
}

void WriteFlow::openReview(const QString& rightCaption) {
    step_ = Step::Reviewing;
    ConfigSide converter{present_->record, std::nullopt};
    ConfigSide written{record_, std::nullopt};
    review_ = new CompareView(CompareConfigurations(converter, written, language_),
                              language_.Text(text::SideConverter), rightCaption,
                              CompareView::Purpose::Review, language_, window_);
    CompareView* view = review_;
    connect(view, &CompareView::controlWanted, this, &WriteFlow::controlWanted);
    prompter_.openDialog(*view, [this, view](int result) {
        view->deleteLater();
        review_ = nullptr;
        if (result != QDialog::Accepted) {
            step_ = Step::Idle;
            emit statusNote(language_.Text(text::NothingWritten));
            return;
        }
        backupAndWrite();
    });
}

void WriteFlow::backupAndWrite() {
    step_ = Step::Idle;
    if (settings_.backupBeforeWrite) {
        const QString folder = backupFolderPath(settings_);
        const BackupFolder backups(localPath(folder));
        const BackupSaveResult saved =
            backups.save(present_->record, present_->info.value_or(DeviceInfo{}),
                         std::chrono::system_clock::now());
        if (!saved.ok()) {
            // Nothing is overwritten on the converter without its backup.
            const std::string& why = saved.reason.empty() ? saved.error : saved.reason;
            tell(text::BackupFailedFormat,
                 {QDir::toNativeSeparators(folder), QString::fromStdString(why)});
            return;
        }
        const FormatArg file(QDir::toNativeSeparators(QFile::decodeName(saved.path.c_str())));
        backupNote_ = FormatText(language_.Text(text::BackupSavedFormat), std::span(&file, 1));
        emit statusNote(backupNote_);
    }
    if (!gateway_.writeConfiguration(record_)) {
        backupNote_.clear();
    }
}

void WriteFlow::tell(int textId, const QStringList& args) {
    std::vector<FormatArg> formatArgs;
    for (const QString& arg : args) {
        formatArgs.emplace_back(arg);
    }
    const std::optional<MessageRequest> message =
        language_.Message(textId, text::CaptionError,
                          MessageStyle{MessageButtons::Ok, MessageIcon::Warning}, formatArgs);
    if (message) {
        prompter_.show(*message, window_);
    }
}

} // namespace vandrel
