#pragma once

#include "link/LinkController.h"
#include "protocol/SessionInterfaces.h"
#include "settings/RecentFileList.h"
#include "shell/app/CommandStates.h"
#include "shell/app/DeviceOperations.h"
#include "shell/app/DocumentCommands.h"
#include "shell/app/FlashCommands.h"
#include "shell/app/FrameContext.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QMenu;
class QTabWidget;
class QUrl;

namespace vandrel {

struct AppCore;
class CommandActions;
class ConfigView;
class DialogRunner;
class IdleUpdater;
class FindDialog;
class HeaderBar;
class HelpWindow;
class SystemMonitorPane;
class Prompter;
class StatusPanes;

// The program's window: menu bar, toolbar and logo, the tabs (configuration, and the system
// monitor on demand) and the status bar. Each command is one shared action; the window answers
// the protocol engine's questions, hands received frames to it and passes its progress reports
// to the device operations, which own the busy state and the operation dialogs.
class MainFrame : public QMainWindow, public SessionHost, public LinkHost, public OperationHost {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 400;
    static constexpr int kMinHeight = 360;

    MainFrame(AppCore& core, Prompter& prompter);
    ~MainFrame() override;

    // Everything the window builds around itself once it exists: the channel on a configured
    // port, and the Open question posted to itself.
    void startUp();

    // Runs a command by id, as its menu entry, toolbar button or shortcut does: nothing while
    // the command is disabled.
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

    // OperationHost
    void setInputEnabled(bool enabled) override;
    void takeConfiguration() override;
    void takeSystemInfo() override;
    void clearMonitorCommand() override;
    void showMonitoringOff() override;
    void chooseFirmwareForConverter() override;
    void refresh() override;

    // The idle update: command states and the toolbar; the menus follow when they open.
    void updateCommandStates();
    void refreshStatus();
    CommandStates commandStates() const { return states_; }
    // 0 configuration tab in front, 1 monitor tab, -1 another.
    int activeView() const;
    bool monitorTabShown() const { return monitorTabShown_; }
    bool busy() const { return operations_->busy(); }

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
    // The shared action of a command; the same object in the menu, the toolbar and the keys.
    QAction* menuAction(int commandId) const;
    QAction* toolAction(int commandId) const;
    const DeviceOperations& operations() const { return *operations_; }
    DeviceOperations& operations() { return *operations_; }
    FindDialog* findDialog() const;
    // The program's own help viewer, once the help went there.
    HelpWindow* helpWindow() const;
    int logFilterIndex() const { return logFilterIndex_; }
    const DocumentCommands& documents() const { return documents_; }
    const FlashCommands& flash() const { return *flash_; }

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

    AppCore& core_;
    Prompter& prompter_;

    std::unique_ptr<DialogRunner> dialogRunner_;
    std::unique_ptr<CommandActions> commands_;
    IdleUpdater* idle_ = nullptr;
    HeaderBar* header_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    ConfigView* view_ = nullptr;
    QWidget* viewHolder_ = nullptr;
    SystemMonitorPane* monitor_ = nullptr;
    std::unique_ptr<StatusPanes> status_;
    RecentFileList recent_;
    LinkController link_;
    FrameContext frame_;
    DocumentCommands documents_;
    DeviceOperations* operations_ = nullptr;
    std::unique_ptr<FlashCommands> flash_;

    CommandStates states_;
    QString documentName_;
    bool monitorTabShown_ = false;
    int logFilterIndex_ = 1;

    QPointer<FindDialog> find_;
    QPointer<HelpWindow> help_;
    QString findText_;
    bool findMatchCase_ = false;
    bool findWholeWord_ = false;
};

} // namespace vandrel
