#include "shell/app/MainFrame.h"

#include "configview/ConfigView.h"
#include "language/TextIds.h"
#include "link/QueuedFrameHandler.h"
#include "settings/RegistryStore.h"
#include "shell/app/AppCore.h"
#include "shell/app/Artwork.h"
#include "shell/app/CommandActions.h"
#include "shell/app/CommandIds.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FindDialog.h"
#include "shell/app/HeaderBar.h"
#include "shell/app/IdleUpdater.h"
#include "shell/app/MenuDescription.h"
#include "shell/app/StatusPanes.h"
#include "shell/ui/Prompter.h"
#include "shell/ui/SystemMonitorPane.h"
#include "shell/ui/UiResources.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

static void initialiseViewResources() {
    Q_INIT_RESOURCE(configview);
}

namespace vandrel {

namespace {

constexpr int kRecentDisplayLength = 64;
constexpr int kRecentEntries = 6;

constexpr int kToolbarCommands[] = {cmd::FileNew, cmd::FileOpen, cmd::FileSave, 0, cmd::HelpIndex};

bool isRecentFile(int id) {
    return id >= cmd::FileRecentFirst && id <= cmd::FileRecentLast;
}

} // namespace

MainFrame::MainFrame(AppCore& core, Prompter& prompter)
    : core_(core), prompter_(prompter), link_(core.channel, *this), frame_{core, prompter},
      documents_(frame_) {
    initialiseViewResources();
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(uiIcon(icon::Program));
    setMinimumSize(kMinWidth, kMinHeight);
    setAcceptDrops(true);
    setDocumentName(QString());

    dialogRunner_ = std::make_unique<DialogRunner>(prompter_, core_.language, this);
    commands_ = std::make_unique<CommandActions>(this);
    header_ = new HeaderBar(this);
    setMenuWidget(header_);
    connect(header_->logo(), &LogoWidget::clicked, this, [this] { command(cmd::AppAbout); });
    buildMenus();
    buildToolBar();
    status_ = std::make_unique<StatusPanes>(statusBar());
    status_->fitTexts(core_.language);
    buildTabs();

    frame_.dialogRunner = dialogRunner_.get();
    frame_.view = view_;
    frame_.recent = &recent_;
    frame_.setDocumentName = [this](const QString& name) { setDocumentName(name); };
    frame_.saveEnabled = [this] { return states_.save; };
    operations_ = new DeviceOperations(core_, prompter_, *dialogRunner_, *this, this);
    flash_ = std::make_unique<FlashCommands>(core_, prompter_, *operations_);
    connectCommands();

    core_.session.notifyWindow = this;
    core_.session.monitorPane = monitor_;
    core_.channel.setFrameHandler(queuedFrameHandler(
        this, [this](ReceivedFrame frame) { core_.session.onFrameReceived(std::move(frame)); }));
    connect(view_, &ConfigView::configurationTabWanted, this,
            [this] { command(cmd::ConfigTabToFront); });
    connect(view_, &ConfigView::saveToFileWanted, this, [this] { command(cmd::SaveToFile); });
    connect(monitor_, &SystemMonitorPane::saveLogRequested, this,
            [this] { command(cmd::SaveLog); });
    connect(monitor_, &SystemMonitorPane::logContextMenuRequested, this, &MainFrame::showLogMenu);
    core_.language.setHelpViewer([this](const QUrl& url) { showOwnHelp(url); });
    qApp->installEventFilter(this);
    idle_ = new IdleUpdater([this] { refresh(); }, this);
    refresh();
}

MainFrame::~MainFrame() {
    qApp->removeEventFilter(this);
    core_.language.setHelpViewer(nullptr);
    if (core_.session.notifyWindow == this) {
        core_.session.notifyWindow = nullptr;
        core_.session.monitorPane = nullptr;
    }
    // Frames still on their way to this window are dropped with it.
    core_.channel.setFrameHandler([](ReceivedFrame) {});
    delete operations_;
    operations_ = nullptr;
}

void MainFrame::startUp() {
    link_.startUp(core_.portName(), core_.linkSettings.baudrate);
    refreshStatus();
    QMetaObject::invokeMethod(
        this, [this] { sessionQuery(SessionQuery::RunOpen); }, Qt::QueuedConnection);
}

void MainFrame::connectCommands() {
    const std::pair<int, std::function<void()>> handlers[] = {
        {cmd::FileNew, [this] { documents_.onFileNew(); }},
        {cmd::FileOpen, [this] { documents_.onFileOpen(); }},
        {cmd::FileSave, [this] { documents_.onFileSave(); }},
        {cmd::FileClose, [this] { documents_.onFileClose(); }},
        {cmd::AppExit, [this] { onExit(); }},
        {cmd::Port, [this] { onPort(); }},
        {cmd::AccessPassword, [this] { operations_->openChangePassword(); }},
        {cmd::Language, [this] { onLanguage(); }},
        {cmd::DeviceReset, [this] { core_.session.requestReset(); }},
        {cmd::FlashLoad, [this] { flash_->onFlashLoad(); }},
        {cmd::FlashDownload, [this] { flash_->onFlashDownload(); }},
        {cmd::MonitorTab, [this] { onMonitorTab(); }},
        {cmd::HelpIndex, [this] { core_.language.ShowHelp(this); }},
        {cmd::AppAbout, [this] { dialogRunner_->showAbout(); }},
        {cmd::EditCopy, [this] { onLogCommand(cmd::EditCopy); }},
        {cmd::EditClear, [this] { onLogCommand(cmd::EditClear); }},
        {cmd::EditSelectAll, [this] { onLogCommand(cmd::EditSelectAll); }},
        {cmd::EditFind, [this] { onFind(); }},
        {cmd::FindNext, [this] { onFindNext(); }},
        {cmd::SaveLog, [this] { onSaveLog(); }},
        {cmd::NextTab, [this] { switchTab(cmd::NextTab); }},
        {cmd::PreviousTab, [this] { switchTab(cmd::PreviousTab); }},
        {cmd::SaveToFile, [this] { documents_.onSaveToFile(); }},
        {cmd::ConfigTabToFront, [this] { switchTab(cmd::ConfigTabToFront); }},
        {cmd::NextPane, [this] { view_->NextPane(); }},
        {cmd::PreviousPane, [this] { view_->PreviousPane(); }},
    };
    for (const auto& [id, handler] : handlers) {
        connect(commands_->action(id), &QAction::triggered, this, [this, handler] {
            handler();
            updateCommandStates();
        });
    }
}

void MainFrame::command(int id) {
    if (isRecentFile(id)) {
        if (!busy()) {
            documents_.onRecentFile(id);
            updateCommandStates();
        }
        return;
    }
    if (QAction* action = commands_->action(id)) {
        action->trigger(); // a disabled action does nothing
    }
}

void MainFrame::buildMenus() {
    commands_->showLabelNumbers();
    QMenuBar* bar = buildMenuBar(mainMenuDescription(), *commands_, header_);
    bar->setObjectName(QStringLiteral("menuBar"));
    core_.language.TranslateMenuBar(bar);
    commands_->translateRemaining(core_.language);
    header_->setMenuBar(bar);
    for (QAction* top : bar->actions()) {
        QMenu* menu = top->menu();
        if (menu == nullptr) {
            continue;
        }
        // The recent files are entries of the menu's own; every other entry is a command.
        connect(menu, &QMenu::triggered, this, [this](QAction* action) {
            bool ok = false;
            const int id = action->data().toInt(&ok);
            if (ok && isRecentFile(id) && action != commands_->action(id)) {
                command(id);
            }
        });
        // Menu entries take their states from the table whenever a drop-down opens.
        connect(menu, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });
    }
    QMenu* fileMenu = bar->actions().value(0) ? bar->actions().value(0)->menu() : nullptr;
    recent_.setMenu(fileMenu);
    recent_.setMaxEntries(kRecentEntries);
    recent_.setDisplayLength(kRecentDisplayLength);
    if (!recent_.readFromRegistry(kSettingsKeyPath)) {
        recent_.rebuildMenu();
    }
}

void MainFrame::buildToolBar() {
    QToolBar* bar = header_->toolBar();
    bar->setIconSize(QSize(artwork::kToolbarImageSize, artwork::kToolbarImageSize));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const int id : kToolbarCommands) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = commands_->action(id);
        action->setIcon(artwork::toolbarIcon(id, devicePixelRatioF()));
        bar->addAction(action);
    }
    retranslateToolBar();
}

void MainFrame::retranslateToolBar() {
    for (const int id : kToolbarCommands) {
        QString tip;
        if (id != 0 && core_.language.Tooltip(id, tip) && !tip.isEmpty()) {
            commands_->action(id)->setToolTip(tip);
        }
    }
}

void MainFrame::buildTabs() {
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setDocumentMode(false);
    setCentralWidget(tabs_);

    viewHolder_ = new QWidget(tabs_);
    viewHolder_->setObjectName(QStringLiteral("configurationTab"));
    auto* layout = new QVBoxLayout(viewHolder_);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new ConfigView(core_.config, core_.language);
    view_->CreateView(viewHolder_, core_.windowSettings.splitterPos);
    layout->addWidget(view_);
    tabs_->addTab(viewHolder_, QIcon(QStringLiteral(":/configview/icons/icon210.png")),
                  core_.language.Text(text::ConfigTab));

    // The monitor pane lives as long as the window; its tab comes and goes.
    monitor_ = new SystemMonitorPane(core_.session, core_.language, this);
    monitor_->setObjectName(QStringLiteral("monitorPane"));
    monitor_->traceLog().setLineLimit(static_cast<int>(core_.windowSettings.logLines));
    monitor_->hide();
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { updateCommandStates(); });
}

QAction* MainFrame::menuAction(int commandId) const {
    QMenuBar* bar = header_->menuBar();
    if (bar == nullptr) {
        return nullptr;
    }
    for (QAction* top : bar->actions()) {
        QMenu* menu = top->menu();
        if (menu == nullptr) {
            continue;
        }
        for (QAction* action : menu->actions()) {
            bool ok = false;
            if (action->data().toInt(&ok) == commandId && ok) {
                return action;
            }
        }
    }
    return nullptr;
}

QAction* MainFrame::toolAction(int commandId) const {
    QAction* shared = commands_->action(commandId);
    return shared && header_->toolBar()->actions().contains(shared) ? shared : nullptr;
}

int MainFrame::activeView() const {
    QWidget* front = tabs_->currentWidget();
    if (front == viewHolder_) {
        return 0;
    }
    return front == monitor_ ? 1 : -1;
}

void MainFrame::updateCommandStates() {
    CommandInputs inputs;
    inputs.documentEmpty = view_->isEmpty();
    inputs.activeView = activeView();
    inputs.logHasSelection = inputs.activeView == 1 && monitor_->traceLog().window() != nullptr &&
                             monitor_->traceLog().window()->textCursor().hasSelection();
    inputs.monitorTabShown = monitorTabShown_;
    states_ = computeCommandStates(inputs);
    commands_->apply(states_, operations_ != nullptr && operations_->busy());
}

void MainFrame::refreshStatus() {
    StatusInputs inputs;
    inputs.channelRunning = core_.channel.isOpen();
    inputs.sessionFailed = core_.session.state == SessionState::Failed;
    inputs.monitoringOn = monitor_->monitoringOn();
    status_->refresh(core_.language, inputs);
}

void MainFrame::refresh() {
    updateCommandStates();
    refreshStatus();
}

void MainFrame::setDocumentName(const QString& name) {
    documentName_ = name;
    const QString title = core_.language.Text(text::AppTitle);
    setWindowTitle(name.isEmpty() ? title : name + QStringLiteral(" - ") + title);
}

void MainFrame::setInputEnabled(bool enabled) {
    header_->setEnabled(enabled);
    tabs_->setEnabled(enabled);
    updateCommandStates();
}

void MainFrame::rememberPlacement() {
    const QRect normal = (isMaximized() || isFullScreen()) ? normalGeometry() : geometry();
    WindowSettings& settings = core_.windowSettings;
    settings.rect = WindowRect{normal.left(), normal.top(), normal.left() + normal.width(),
                               normal.top() + normal.height()};
    settings.maximized = isMaximized();
    settings.splitterPos = view_->SplitterPosition();
}

void MainFrame::onExit() {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // A device operation runs to its end (each ends by itself, at the latest when the converter
    // stops answering): stopping the channel now could leave the converter half-written.
    if (busy()) {
        QApplication::beep();
        event->ignore();
        return;
    }
    if (monitor_->monitoringOn()) {
        core_.session.requestMonitor(false);
    }
    if (!view_->QuerySave()) {
        event->ignore();
        return;
    }
    core_.channel.stop();
    rememberPlacement();
    if (find_) {
        find_->close();
    }
    event->accept();
}

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!busy() && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainFrame::dropEvent(QDropEvent* event) {
    if (busy()) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->acceptProposedAction();
    documents_.onDropFiles(paths);
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !busy()) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool inWindow = widget != nullptr && widget->window() == this;
        // The configuration view's own keyboard handling of the page being edited comes first.
        if (inWindow && view_ != nullptr && view_->FilterMessage(watched, event)) {
            return true;
        }
        // Save by its key while there is nothing to save: a beep, as the command says.
        QAction* save = commands_->action(cmd::FileSave);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (inWindow && !save->isEnabled() &&
            save->shortcuts().contains(QKeySequence(key->keyCombination()))) {
            QApplication::beep();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace vandrel
