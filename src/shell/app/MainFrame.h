#pragma once

#include "link/LinkController.h"
#include "protocol/SessionInterfaces.h"
#include "settings/RecentFileList.h"
#include "shell/app/BusyState.h"
#include "shell/app/CommandStates.h"
#include "shell/app/DocumentCommands.h"
#include "shell/app/FlashCommands.h"
#include "shell/app/FrameContext.h"
#include "shell/app/ProgressReactions.h"

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QTabWidget;

namespace vandrel {

struct AppCore;
class ConfigView;
class DialogRunner;
class IdleUpdater;
class FindDialog;
class HeaderBar;
class SystemMonitorPane;
class Prompter;
class StatusPanes;

// The program's window: menu bar, toolbar and logo, the tabs (configuration, and the system
// monitor on demand) and the status bar. It routes every command, answers the protocol
// engine's questions, hands received frames to it and reacts to its progress reports.
class MainFrame : public QMainWindow, public SessionHost, public LinkHost {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 400;
    static constexpr int kMinHeight = 360;

    MainFrame(AppCore& core, Prompter& prompter);
    ~MainFrame() override;

    // Everything the window builds around itself once it exists: the channel on a configured
    // port, and the Open question posted to itself.
    void startUp();

    // Runs a command by id, as a menu entry, toolbar button or shortcut does.
    void command(int id);

    // SessionHost
    int sessionQuery(SessionQuery query) override;
    void postSessionProgress(SessionProgress code, int value) override;
    std::optional<PasswordChangeTexts> passwordChangeTexts() const override;
    void fatalOutOfMemory() override;

    // LinkHost
    std::optional<QString> choosePort(const QString& currentName) override;
    void storePortName(const QString& name) override;
    void reportStartFailure(const QString& portName, const ChannelStartResult& result) override;

    // The idle update: command states and the toolbar; the menus follow when they open.
    void updateCommandStates();
    void refreshStatus();
    CommandStates commandStates() const { return states_; }
    // 0 configuration tab in front, 1 monitor tab, -1 another.
    int activeView() const;
    bool monitorTabShown() const { return monitorTabShown_; }
    bool busy() const { return busy_.busy(); }

    // The document name in the title; empty for none.
    void setDocumentName(const QString& name);
    const QString& documentName() const { return documentName_; }

    // Parts, for the program and its tests.
    ConfigView* configView() const { return view_; }
    SystemMonitorPane* monitorPane() const { return monitor_; }
    QTabWidget* tabs() const { return tabs_; }
    HeaderBar* header() const { return header_; }
    StatusPanes* statusPanes() const { return status_.get(); }
    RecentFileList& recentFiles() { return recent_; }
    QAction* menuAction(int commandId) const;
    QAction* toolAction(int commandId) const;
    const SessionDialogs& sessionDialogs() const { return frame_.dialogs; }
    FindDialog* findDialog() const;
    int logFilterIndex() const { return logFilterIndex_; }
    const DocumentCommands& documents() const { return documents_; }
    const FlashCommands& flash() const { return flash_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildShortcuts();
    void buildTabs();
    void connectMenu(QMenu* menu);
    void applyLanguage();
    void retranslateToolBar();
    void setInputEnabled(bool enabled);

    // Commands.
    void onPort();
    void onAccessPassword();
    void onLanguage();
    void onMonitorTab();
    void switchTab(int id);
    void onFind();
    void onFindNext();
    void onFindEvent();
    void onSaveLog();
    void onLogCommand(int id);
    void showLogMenu(const QPoint& globalPos);

    // Session queries.
    int askPassword();

    void rememberPlacement();

    AppCore& core_;
    Prompter& prompter_;

    std::unique_ptr<DialogRunner> dialogRunner_;
    IdleUpdater* idle_ = nullptr;
    HeaderBar* header_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    ConfigView* view_ = nullptr;
    QWidget* viewHolder_ = nullptr;
    SystemMonitorPane* monitor_ = nullptr;
    std::unique_ptr<StatusPanes> status_;
    RecentFileList recent_;
    BusyState busy_;
    LinkController link_;
    FrameContext frame_;
    DocumentCommands documents_;
    FlashCommands flash_;
    ProgressReactions progress_;

    std::map<int, QAction*> toolActions_;
    std::vector<QAction*> accelerators_;
    CommandStates states_;
    QString documentName_;
    bool monitorTabShown_ = false;
    int logFilterIndex_ = 1;

    QPointer<FindDialog> find_;
    QString findText_;
    bool findMatchCase_ = false;
    bool findWholeWord_ = false;
};

} // namespace vandrel
