#include "shell/app/MainFrame.h"

#include "configview/ConfigView.h"
#include "language/TextIds.h"
#include "link/QueuedFrameHandler.h"
#include "settings/RegistryStore.h"
#include "shell/app/AppCore.h"
#include "shell/app/Artwork.h"
#include "shell/app/CommandIds.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FindDialog.h"
#include "shell/app/FlashProgressDialog.h"
#include "shell/app/HeaderBar.h"
#include "shell/app/IdleUpdater.h"
#include "shell/app/MenuDescription.h"
#include "shell/app/StatusPanes.h"
#include "shell/app/WaitDialog.h"
#include "shell/ui/ChangePasswordDialog.h"
#include "shell/ui/Prompter.h"
#include "shell/ui/SystemMonitorPane.h"
#include "shell/ui/UiResources.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
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

// The accelerator table: keys that run a command wherever the focus is in the window.
struct Accelerator {
    QKeySequence keys;
    int commandId;
};

std::vector<Accelerator> accelerators() {
    return {
        {QKeySequence(Qt::CTRL | Qt::Key_N), cmd::FileNew},
        {QKeySequence(Qt::CTRL | Qt::Key_O), cmd::FileOpen},
        {QKeySequence(Qt::CTRL | Qt::Key_S), cmd::FileSave},
        {QKeySequence(Qt::Key_F1), cmd::HelpIndex},
        {QKeySequence(Qt::CTRL | Qt::Key_C), cmd::EditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), cmd::EditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_F), cmd::EditFind},
        {QKeySequence(Qt::Key_F3), cmd::FindNext},
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), cmd::NextTab},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), cmd::PreviousTab},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), cmd::PreviousTab},
        {QKeySequence(Qt::Key_F6), cmd::NextPane},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), cmd::PreviousPane},
    };
}

constexpr int kToolbarCommands[] = {cmd::FileNew, cmd::FileOpen, cmd::FileSave, 0, cmd::HelpIndex};

} // namespace

MainFrame::MainFrame(AppCore& core, Prompter& prompter)
    : core_(core), prompter_(prompter),
      busy_([this](bool enabled) { setInputEnabled(enabled); },
            [this] { return frame_.dialogs.progress || frame_.dialogs.changePassword; }),
      link_(core.channel, *this), frame_{core, prompter}, documents_(frame_), flash_(frame_),
      progress_(frame_, flash_) {
    initialiseViewResources();
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(uiIcon(icon::Program));
    setMinimumSize(kMinWidth, kMinHeight);
    setAcceptDrops(true);
    setDocumentName(QString());

    dialogRunner_ = std::make_unique<DialogRunner>(prompter_, core_.language, this);
    header_ = new HeaderBar(this);
    setMenuWidget(header_);
    connect(header_->logo(), &LogoWidget::clicked, this, [this] { command(cmd::AppAbout); });
    buildMenus();
    buildToolBar();
    status_ = std::make_unique<StatusPanes>(statusBar());
    buildTabs();
    buildShortcuts();

    frame_.window = this;
    frame_.dialogRunner = dialogRunner_.get();
    frame_.view = view_;
    frame_.monitor = monitor_;
    frame_.recent = &recent_;
    frame_.busy = &busy_;
    frame_.setDocumentName = [this](const QString& name) { setDocumentName(name); };
    frame_.refresh = [this] {
        updateCommandStates();
        refreshStatus();
    };
    frame_.saveEnabled = [this] { return states_.save; };

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
    qApp->installEventFilter(this);
    idle_ = new IdleUpdater(
        [this] {
            updateCommandStates();
            refreshStatus();
        },
        this);
    updateCommandStates();
    refreshStatus();
}

MainFrame::~MainFrame() {
    qApp->removeEventFilter(this);
    if (core_.session.notifyWindow == this) {
        core_.session.notifyWindow = nullptr;
        core_.session.monitorPane = nullptr;
    }
    // Frames still on their way to this window are dropped with it.
    core_.channel.setFrameHandler([](ReceivedFrame) {});
}

void MainFrame::startUp() {
    link_.startUp(core_.portName(), core_.linkSettings.baudrate);
    refreshStatus();
    QMetaObject::invokeMethod(
        this, [this] { sessionQuery(SessionQuery::RunOpen); }, Qt::QueuedConnection);
}

void MainFrame::buildMenus() {
    QMenuBar* bar = buildMenuBar(mainMenuDescription(), header_);
    bar->setObjectName(QStringLiteral("menuBar"));
    core_.language.TranslateMenuBar(bar);
    header_->setMenuBar(bar);
    for (QAction* top : bar->actions()) {
        if (QMenu* menu = top->menu()) {
            connectMenu(menu);
        }
    }
    QMenu* fileMenu = bar->actions().value(0) ? bar->actions().value(0)->menu() : nullptr;
    recent_.setMenu(fileMenu);
    recent_.setMaxEntries(kRecentEntries);
    recent_.setDisplayLength(kRecentDisplayLength);
    if (!recent_.readFromRegistry(kSettingsKeyPath)) {
        recent_.rebuildMenu();
    }
    if (QAction* monitor = menuAction(cmd::MonitorTab)) {
        monitor->setChecked(monitorTabShown_);
    }
}

void MainFrame::connectMenu(QMenu* menu) {
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        bool ok = false;
        const int id = action->data().toInt(&ok);
        if (ok && id != 0) {
            command(id);
        }
    });
    // Menu entries take their states from the table whenever a drop-down opens.
    connect(menu, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });
}

void MainFrame::buildToolBar() {
    QToolBar* bar = header_->toolBar();
    bar->setIconSize(QSize(artwork::kToolbarImageSize, artwork::kToolbarImageSize));
    bar->setMovable(false);
    bar->setFloatable(false);
    for (const int id : kToolbarCommands) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = bar->addAction(artwork::toolbarIcon(id, devicePixelRatioF()), QString());
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
        toolActions_[id] = action;
    }
    retranslateToolBar();
}

void MainFrame::retranslateToolBar() {
    for (auto& [id, action] : toolActions_) {
        QString tip;
        if (core_.language.Tooltip(id, tip) && !tip.isEmpty()) {
            action->setToolTip(tip);
            action->setText(tip);
        }
    }
}

void MainFrame::buildShortcuts() {
    for (const Accelerator& accelerator : accelerators()) {
        auto* action = new QAction(this);
        action->setShortcut(accelerator.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = accelerator.commandId;
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
        addAction(action);
        accelerators_.push_back(action);
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
    const auto it = toolActions_.find(commandId);
    return it == toolActions_.end() ? nullptr : it->second;
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

    const std::pair<int, bool> table[] = {
        {cmd::FileSave, states_.save},     {cmd::FileClose, states_.close},
        {cmd::EditCopy, states_.copy},     {cmd::EditFind, states_.find},
        {cmd::FindNext, states_.findNext},
    };
    for (const auto& [id, enabled] : table) {
        if (QAction* action = menuAction(id)) {
            action->setEnabled(enabled);
        }
        if (QAction* action = toolAction(id)) {
            action->setEnabled(enabled);
        }
    }
    if (QAction* action = menuAction(cmd::MonitorTab)) {
        action->setChecked(states_.monitorTabChecked);
    }
}

void MainFrame::refreshStatus() {
    StatusInputs inputs;
    inputs.channelRunning = core_.channel.isOpen();
    inputs.sessionFailed = core_.session.state == SessionState::Failed;
    inputs.monitoringOn = monitor_->monitoringOn();
    status_->refresh(core_.language, inputs);
}

void MainFrame::setDocumentName(const QString& name) {
    documentName_ = name;
    const QString title = core_.language.Text(text::AppTitle);
    setWindowTitle(name.isEmpty() ? title : name + QStringLiteral(" - ") + title);
}

void MainFrame::setInputEnabled(bool enabled) {
    header_->setEnabled(enabled);
    tabs_->setEnabled(enabled);
    for (QAction* action : accelerators_) {
        action->setEnabled(enabled);
    }
}

void MainFrame::rememberPlacement() {
    const QRect normal = (isMaximized() || isFullScreen()) ? normalGeometry() : geometry();
    WindowSettings& settings = core_.windowSettings;
    settings.rect = WindowRect{normal.left(), normal.top(), normal.left() + normal.width(),
                               normal.top() + normal.height()};
    settings.maximized = isMaximized();
    settings.splitterPos = view_->SplitterPosition();
}

void MainFrame::closeEvent(QCloseEvent* event) {
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
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainFrame::dropEvent(QDropEvent* event) {
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
    // The configuration view's own keyboard handling of the page being edited comes first.
    if (event->type() == QEvent::KeyPress && view_ != nullptr && !busy_.busy() &&
        view_->FilterMessage(watched, event)) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace vandrel
