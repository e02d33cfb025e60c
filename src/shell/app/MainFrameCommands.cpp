#include "configview/ConfigDocument.h"
#include "configview/ConfigView.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "settings/LinkSettings.h"
#include "settings/RegistryStore.h"
#include "settings/WindowSettings.h"
#include "shell/app/CommandActions.h"
#include "shell/app/CommandIds.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FileDialogMemory.h"
#include "shell/app/FindDialog.h"
#include "shell/app/HeaderBar.h"
#include "shell/app/MainFrame.h"
#include "shell/app/StatusPanes.h"
#include "shell/ui/HelpWindow.h"
#include "shell/ui/Prompter.h"
#include "shell/ui/SystemMonitorPane.h"
#include "shell/ui/UiResources.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>

namespace vandrel {

namespace {

// The log's proposed name: beside the configuration file, named after it, never the file
// itself, so that Enter in the save dialog cannot put log text over a configuration.
QString logNameBeside(const QString& configPath) {
    if (configPath.isEmpty()) {
        return QString();
    }
    const QFileInfo config(configPath);
    const QString stem = config.path() + QLatin1Char('/') + config.completeBaseName();
    const QString name = stem + QLatin1String(".txt");
    return name.compare(configPath, Qt::CaseInsensitive) == 0 ? stem + QLatin1String(".log.txt")
                                                              : name;
}

} // namespace

void MainFrame::onPort() {
    link_.choosePortCommand(portName(), linkSettings_.baudrate);
    refreshStatus();
}

std::optional<QString> MainFrame::choosePort(const QString& currentName) {
    return dialogRunner_->choosePort(currentName);
}

void MainFrame::storePortName(const QString& name) {
    linkSettings_.portName = name;
    portOverride_.clear();
    linkSettings_.save();
}

void MainFrame::reportStartFailure(const QString& portName, const ChannelStartResult& result) {
    const LanguageManager& language = language_;
    const MessageStyle style{MessageButtons::Ok, MessageIcon::Error};
    if (result.threadFailed) {
        language.MessageBox(text::PortThreadsFailed, text::CaptionError, style);
        return;
    }
    const QString reason =
        language.Text(text::PortOpenFailedFormat + static_cast<int>(result.open));
    language.FormatMessageBox(text::PortOpenFailedFormat, text::CaptionError, style,
                              {FormatArg(portName), FormatArg(reason)});
}

void MainFrame::onLanguage() {
    const std::optional<int> chosen =
        dialogRunner_->chooseLanguage(static_cast<int>(linkSettings_.language));
    if (!chosen || *chosen == static_cast<int>(linkSettings_.language)) {
        return;
    }
    // A language that does not load (the reason has been shown) leaves the one in use, and the
    // setting, as they were: otherwise every text would be empty and the next start would end.
    if (!language_.Switch(*chosen)) {
        return;
    }
    linkSettings_.language = static_cast<quint32>(*chosen);
    linkSettings_.save();
    applyLanguage();
}

void MainFrame::applyLanguage() {
    LanguageManager& language = language_;
    // The document name of a new or received document is itself a text.
    updateTitle();
    buildMenus();
    retranslateToolBar();
    tabs_->setTabText(tabs_->indexOf(viewHolder_), language.Text(text::ConfigTab));
    if (const int index = tabs_->indexOf(monitor_); index >= 0) {
        tabs_->setTabText(index, language.Text(text::MonitorTab));
    }
    monitor_->retranslate();
    view_->RetranslateView();
    status_->fitTexts(language);
    if (help_) {
        help_->retranslate(language.HelpUrl());
    }
    if (find_) {
        find_->retranslate();
    }
    gateway_->retranslate();
    refresh();
    header_->updateLogo();
}

void MainFrame::showOwnHelp(const QUrl& url) {
    if (!help_) {
        help_ = new HelpWindow(language_, this);
    }
    help_->showHelp(url);
}

HelpWindow* MainFrame::helpWindow() const {
    return help_;
}

void MainFrame::onMonitorTab() {
    if (const int index = tabs_->indexOf(monitor_); index >= 0) {
        tabs_->removeTab(index);
        monitor_->hide();
    } else {
        tabs_->addTab(monitor_, uiIcon(icon::MonitorTab), language_.Text(text::MonitorTab));
    }
    monitorTabShown_ = !monitorTabShown_;
    updateCommandStates();
}

void MainFrame::switchTab(int id) {
    const int count = tabs_->count();
    if (count <= 1) {
        return;
    }
    int next = tabs_->currentIndex();
    if (id == cmd::NextTab) {
        next = (next + 1) % count;
    } else if (id == cmd::PreviousTab) {
        next = (next + count - 1) % count;
    } else {
        next = 0;
    }
    tabs_->setCurrentIndex(next);
}

void MainFrame::onLogCommand(int id) {
    if (activeView() != 1) {
        return;
    }
    TraceLog& trace = monitor_->traceLog();
    QPlainTextEdit* log = trace.window();
    if (log == nullptr) {
        return;
    }
    switch (id) {
    case cmd::EditCopy:
        log->copy();
        break;
    case cmd::EditClear:
        trace.clear(); // with the lines kept outside the window
        break;
    case cmd::EditSelectAll:
        trace.flush();
        log->selectAll();
        break;
    default:
        break;
    }
}

FindDialog* MainFrame::findDialog() const {
    return find_;
}

void MainFrame::onFind() {
    if (find_) {
        find_->activateWindow();
        find_->edit()->setFocus();
        return;
    }
    find_ = new FindDialog(language_, findText_, findMatchCase_, findWholeWord_, this);
    connect(find_, &FindDialog::findNext, this, &MainFrame::onFindEvent);
    find_->show();
}

void MainFrame::onFindEvent() {
    if (!find_) {
        return;
    }
    // Searching belongs to the log: with the configuration in front the box goes away.
    if (activeView() == 0) {
        find_->close();
        return;
    }
    findText_ = find_->text();
    findMatchCase_ = find_->matchCase();
    findWholeWord_ = find_->wholeWord();
    if (activeView() == 1) {
        monitor_->traceLog().findText(findText_, findMatchCase_, findWholeWord_);
    }
}

void MainFrame::onFindNext() {
    if (findText_.isEmpty()) {
        onFind();
        return;
    }
    if (activeView() == 1) {
        monitor_->traceLog().findText(findText_, findMatchCase_, findWholeWord_);
    }
}

void MainFrame::onSaveLog() {
    if (activeView() != 1) {
        return;
    }
    const LanguageManager& language = language_;
    FileDialogRequest request;
    request.title = language.Text(text::SaveLogTitle);
    request.filter = language.Text(text::LogFilter);
    request.defaultSuffix = QStringLiteral("TXT");
    request.fileName = logNameBeside(document_->filePath());
    request.confirmOverwrite = true;
    const std::optional<FileChoice> chosen = askForFile(
        prompter_, FileDialogKind::Save, request, logFilterIndex_, windowSettings_.browsePathLog);
    if (chosen && !monitor_->traceLog().saveText(chosen->path)) {
        language.MessageBox(text::SaveLogFailed, text::CaptionError,
                            MessageStyle{MessageButtons::Ok, MessageIcon::Error});
    }
}

void MainFrame::showLogMenu(const QPoint& globalPos) {
    if (activeView() != 1) {
        return;
    }
    updateCommandStates();
    // The log's menu holds the same command actions as the keys.
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("logMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const int id : {cmd::EditCopy, cmd::EditClear, cmd::EditFind, cmd::FindNext,
                         cmd::EditSelectAll, 0, cmd::SaveLog}) {
        if (id == 0) {
            menu->addSeparator();
        } else {
            menu->addAction(commands_->action(id));
        }
    }
    menu->popup(globalPos);
}

} // namespace vandrel
