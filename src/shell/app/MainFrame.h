#pragma once

#include "link/LinkController.h"
#include "settings/RecentFileList.h"
#include "shell/app/CommandStates.h"
#include "shell/app/DeviceGateway.h"
#include "shell/app/DocumentCommands.h"
#include "shell/app/FlashCommands.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QMenu;
class QTabWidget;
class QUrl;

namespace vandrel {

class CommandActions;
class ConfigDocument;
class ConfigView;
class DeviceSession;
class DialogRunner;
class IdleUpdater;
class FindDialog;
class HeaderBar;
class CompareCommand;
class WriteFlow;
class LanguageManager;
class LinkSettings;
class SerialChannel;
class TimerService;
class HelpWindow;
class SystemMonitorPane;
class Prompter;
class StatusPanes;
class WindowSettings;

// The program's window: menu bar, toolbar and logo, the tabs (configuration, and the system
// monitor on demand) and the status bar. Each command is one shared action. Every device
// operation goes through the device gateway, which owns the busy state and the operation
// dialogs; the configuration document is a model apart from its view.
class MainFrame : public QMainWindow, public LinkHost {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 400;
    static constexpr int kMinHeight = 360;

    // `portOverride`: a port used for this run only and never stored (the stand-in converter of
    // the demo); empty: the configured port.
    // `timers` runs the session's response timer.
    MainFrame(LinkSettings& linkSettings, WindowSettings& windowSettings, LanguageManager& language,
              SerialChannel& channel, DeviceSession& session, TimerService& timers,
              Prompter& prompter, const QString& portOverride = QString());
    ~MainFrame() override;

    // Everything the window builds around itself once it exists: the channel on a configured
    // port, and the Open question posted to itself; or, for a file named on the command line,
    // that file opened in its place.
    void startUp(const QString& commandLineFile = QString());

    // Runs a command by id, as its menu entry, toolbar button or shortcut does: nothing while
    // the command is disabled.
    void command(int id);

    // LinkHost
    std::optional<QString> choosePort(const QString& currentName) override;
    void storePortName(const QString& name) override;
    void reportStartFailure(const QString& portName, const ChannelStartResult& result) override;

    void setInputEnabled(bool enabled);
    void refresh();

    // The idle update: command states and the toolbar; the menus follow when they open.
    void updateCommandStates();
    void refreshStatus();
    CommandStates commandStates() const { return states_; }
    // 0 configuration tab in front, 1 monitor tab, -1 another.
    int activeView() const;
    bool monitorTabShown() const { return monitorTabShown_; }
    bool busy() const { return gateway_->busy(); }

    // The document's name in the title: none while the view is empty, the file's name for a
    // file's document, text 703 for a new or received one without a file.
    QString documentName() const;

    // Parts, for the program and its tests.
    ConfigDocument& document() const { return *document_; }
    ConfigView* configView() const { return view_; }
    SystemMonitorPane* monitorPane() const { return monitor_; }
    QTabWidget* tabs() const { return tabs_; }
    HeaderBar* header() const { return header_; }
    StatusPanes* statusPanes() const { return status_.get(); }
    RecentFileList& recentFiles() { return recent_; }
    // The shared action of a command; the same object in the menu, the toolbar and the keys.
    QAction* menuAction(int commandId) const;
    QAction* toolAction(int commandId) const;
    const DeviceGateway& gateway() const { return *gateway_; }
    DeviceGateway& gateway() { return *gateway_; }
    FindDialog* findDialog() const;
    // The program's own help viewer, once the help went there.
    HelpWindow* helpWindow() const;
    int logFilterIndex() const { return logFilterIndex_; }
    const DocumentCommands& documents() const { return *documents_; }
    const FlashCommands& flash() const { return *flash_; }
    const WriteFlow& writeFlow() const { return *writeFlow_; }
    const CompareCommand& compareCommand() const { return *compare_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectCommands();
    void buildMenus();
    void buildToolBar();
    void buildTabs();
    void applyLanguage();
    void retranslateToolBar();
    // The title and its modified marker, from the document.
    void updateTitle();
    void connectGateway();
    // The port named for this run, or the configured one.
    QString portName() const;
    // Opens the link on demand before an operation.
    bool openLink();

    // Commands.
    void onExit();
    void onPort();
    void onLanguage();
    void onMonitorTab();
    void switchTab(int id);
    void onFind();
    void onFindNext();
    void onFindEvent();
    void onSaveLog();
    void onLogCommand(int id);
    void showLogMenu(const QPoint& globalPos);
    // The help in the program's own viewer, for a desktop without one.
    void showOwnHelp(const QUrl& url);

    void rememberPlacement();

    LinkSettings& linkSettings_;
    WindowSettings& windowSettings_;
    LanguageManager& language_;
    SerialChannel& channel_;
    DeviceSession& session_;
    TimerService& timers_;
    Prompter& prompter_;
    QString portOverride_;

    std::unique_ptr<DialogRunner> dialogRunner_;
    std::unique_ptr<CommandActions> commands_;
    IdleUpdater* idle_ = nullptr;
    HeaderBar* header_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    ConfigDocument* document_ = nullptr;
    ConfigView* view_ = nullptr;
    QWidget* viewHolder_ = nullptr;
    SystemMonitorPane* monitor_ = nullptr;
    std::unique_ptr<StatusPanes> status_;
    RecentFileList recent_;
    LinkController link_;
    DeviceGateway* gateway_ = nullptr;
    std::unique_ptr<DocumentCommands> documents_;
    FlashCommands* flash_ = nullptr;
    WriteFlow* writeFlow_ = nullptr;
    CompareCommand* compare_ = nullptr;

    CommandStates states_;
    bool monitorTabShown_ = false;
    int logFilterIndex_ = 1;

    QPointer<FindDialog> find_;
    QPointer<HelpWindow> help_;
    QString findText_;
    bool findMatchCase_ = false;
    bool findWholeWord_ = false;
};

} // namespace vandrel
