#include "shell/app/MainFrame.h"

#include "configview/ConfigComparison.h"
#include "configview/ConfigDocument.h"
#include "configview/ConfigView.h"
#include "language/LanguageManager.h"
#include "language/TextFormat.h"
#include "language/TextIds.h"
#include "link/SerialChannel.h"
#include "protocol/DeviceSession.h"
#include "settings/LinkSettings.h"
#include "settings/RegistryStore.h"
#include "settings/WindowSettings.h"
#include "shell/app/Artwork.h"
#include "shell/app/CommandActions.h"
#include "shell/app/CommandIds.h"
#include "shell/app/CompareCommand.h"
#include "shell/app/DialogRunner.h"
#include "shell/app/FindDialog.h"
#include "shell/app/HeaderBar.h"
#include "shell/app/IdleUpdater.h"
#include "shell/app/MenuDescription.h"
#include "shell/app/StatusPanes.h"
#include "shell/app/WriteFlow.h"
#include "shell/ui/Prompter.h"
#include "shell/ui/SystemMonitorPane.h"
#include "shell/ui/UiResources.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
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

constexpr int kToolbarCommands[] = {
    cmd::FileNew, cmd::FileOpen, cmd::FileSave, cmd::FileCompare, 0, cmd::HelpIndex};

bool isRecentFile(int id) {
    return id >= cmd::FileRecentFirst && id <= cmd::FileRecentLast;
}

} // namespace

MainFrame::MainFrame(LinkSettings& linkSettings, WindowSettings& windowSettings,
                     LanguageManager& language, SerialChannel& channel, DeviceSession& session,
                     TimerService& timers, Prompter& prompter, const QString& portOverride)
    : linkSettings_(linkSettings), windowSettings_(windowSettings), language_(language),
      channel_(channel), session_(session), timers_(timers), prompter_(prompter),
      portOverride_(portOverride), link_(channel, *this) {
    initialiseViewResources();
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(uiIcon(icon::Program));
    setMinimumSize(kMinWidth, kMinHeight);
    setAcceptDrops(true);
    document_ = new ConfigDocument(this);
    updateTitle();

    dialogRunner_ = std::make_unique<DialogRunner>(prompter_, language_, this);
    commands_ = std::make_unique<CommandActions>(this);
    header_ = new HeaderBar(this);
    setMenuWidget(header_);
    connect(header_->logo(), &LogoWidget::clicked, this, [this] { command(cmd::AppAbout); });
    buildMenus();
    buildToolBar();
    status_ = std::make_unique<StatusPanes>(statusBar());
    status_->fitTexts(language_);
    buildTabs();

    gateway_ = new DeviceGateway(
        session_, channel_, timers_, language_, prompter_, [this] { return openLink(); }, this);
    gateway_->attachMonitorPane(monitor_);
    gateway_->setReadBackAfterWrite(windowSettings_.readBackAfterWrite);
    gateway_->setFieldNamer([this](std::size_t offset, const ConverterConfig& written,
                                   const ConverterConfig& readBack) {
        return FieldAtOffsetLabel(offset, written, readBack, language_);
    });
    writeFlow_ = new WriteFlow(*gateway_, language_, prompter_, windowSettings_, this);
    compare_ = new CompareCommand(*document_, *view_, *gateway_, *dialogRunner_, prompter_,
                                  language_, windowSettings_, this);
    documents_ = std::make_unique<DocumentCommands>(
        *document_, *view_, *gateway_, *writeFlow_, *dialogRunner_, prompter_, language_,
        windowSettings_, recent_, [this] { return states_.save; });
    flash_ = new FlashCommands(language_, windowSettings_, prompter_, *gateway_, this);
    connectCommands();
    connectGateway();

    connect(view_, &ConfigView::configurationTabWanted, this,
            [this] { command(cmd::ConfigTabToFront); });
    connect(view_, &ConfigView::saveToFileWanted, this, [this] { command(cmd::SaveToFile); });
    connect(view_, &ConfigView::pageChangesChanged, this, &MainFrame::updateTitle);
    // The title, its modified marker and Save follow the document.
    connect(document_, &ConfigDocument::stateChanged, this, [this] {
        updateTitle();
        updateCommandStates();
    });
    connect(monitor_, &SystemMonitorPane::logContextMenuRequested, this, &MainFrame::showLogMenu);
    language_.setHelpViewer([this](const QUrl& url) { showOwnHelp(url); });
    qApp->installEventFilter(this);
    idle_ = new IdleUpdater([this] { refresh(); }, this);
    refresh();
}

MainFrame::~MainFrame() {
    qApp->removeEventFilter(this);
    language_.setHelpViewer(nullptr);
    // The gateway goes first: nothing from the converter reaches parts that are going away.
    delete gateway_;
    gateway_ = nullptr;
    // The view follows the document to the end: it goes before the document does.
    delete view_;
    view_ = nullptr;
}

void MainFrame::connectGateway() {
    connect(gateway_, &DeviceGateway::busyChanged, this,
            [this](bool busy) { setInputEnabled(!busy); });
    connect(gateway_, &DeviceGateway::configurationRead, this,
            [this](const ConverterConfig& record, const std::optional<DeviceInfo>& info) {
                document_->takeRead(record);
                if (info) {
                    document_->takeDeviceInfo(*info);
                }
            });
    // Outside the report's handling: the choice runs dialogs of its own.
    connect(
        gateway_, &DeviceGateway::firmwareWanted, this,
        [this] { flash_->chooseFirmwareForConverter(); }, Qt::QueuedConnection);
    connect(gateway_, &DeviceGateway::statusNote, this,
            [this](const QString& note) { statusBar()->showMessage(note); });
    connect(gateway_, &DeviceGateway::saveLogWanted, this, [this] { command(cmd::SaveLog); });
    connect(gateway_, &DeviceGateway::stateChanged, this, [this] { refresh(); });
    // A row of a comparison or review: its page in front, its control focused.
    const auto showControl = [this](int pageId, const QString& control) {
        command(cmd::ConfigTabToFront);
        view_->showControl(pageId, control);
    };
    connect(writeFlow_, &WriteFlow::controlWanted, this, showControl);
    connect(compare_, &CompareCommand::controlWanted, this, showControl);
    connect(writeFlow_, &WriteFlow::statusNote, this,
            [this](const QString& note) { statusBar()->showMessage(note); });
}

QString MainFrame::portName() const {
    return portOverride_.isEmpty() ? linkSettings_.portName : portOverride_;
}

bool MainFrame::openLink() {
    const bool ready = link_.ensureLink(portName(), linkSettings_.baudrate);
    refreshStatus();
    return ready;
}

void MainFrame::startUp(const QString& commandLineFile) {
    link_.startUp(portName(), linkSettings_.baudrate);
    refreshStatus();
    // Posted, so that the question or the file's message shows over the window.
    if (commandLineFile.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                documents_->onFileOpen();
                updateCommandStates();
            },
            Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, commandLineFile] {
            documents_->onCommandLineFile(commandLineFile);
            updateCommandStates();
        },
        Qt::QueuedConnection);
}

void MainFrame::connectCommands() {
    const std::pair<int, std::function<void()>> handlers[] = {
        {cmd::FileNew, [this] { documents_->onFileNew(); }},
        {cmd::FileOpen, [this] { documents_->onFileOpen(); }},
        {cmd::FileSave, [this] { documents_->onFileSave(); }},
        {cmd::FileClose, [this] { documents_->onFileClose(); }},
        {cmd::AppExit, [this] { onExit(); }},
        {cmd::Port, [this] { onPort(); }},
        {cmd::AccessPassword, [this] { gateway_->openChangePassword(); }},
        {cmd::ReadBackAfterWrite,
         [this] {
             windowSettings_.readBackAfterWrite =
                 commands_->action(cmd::ReadBackAfterWrite)->isChecked();
             gateway_->setReadBackAfterWrite(windowSettings_.readBackAfterWrite);
         }},
        {cmd::ReviewBeforeWrite,
         [this] {
             windowSettings_.reviewBeforeWrite =
                 commands_->action(cmd::ReviewBeforeWrite)->isChecked();
         }},
        {cmd::BackupBeforeWrite,
         [this] {
             windowSettings_.backupBeforeWrite =
                 commands_->action(cmd::BackupBeforeWrite)->isChecked();
         }},
        {cmd::FileCompare, [this] { compare_->run(); }},
        {cmd::RestoreBackup, [this] { writeFlow_->restoreBackup(); }},
        {cmd::Language, [this] { onLanguage(); }},
        {cmd::DeviceReset, [this] { gateway_->resetConverter(); }},
        {cmd::FlashLoad, [this] { flash_->onFlashLoad(); }},
        {cmd::FlashDownload, [this] { flash_->onFlashDownload(); }},
        {cmd::MonitorTab, [this] { onMonitorTab(); }},
        {cmd::HelpIndex, [this] { language_.ShowHelp(this); }},
        {cmd::AppAbout, [this] { dialogRunner_->showAbout(); }},
        {cmd::EditCopy, [this] { onLogCommand(cmd::EditCopy); }},
        {cmd::EditClear, [this] { onLogCommand(cmd::EditClear); }},
        {cmd::EditSelectAll, [this] { onLogCommand(cmd::EditSelectAll); }},
        {cmd::EditFind, [this] { onFind(); }},
        {cmd::FindNext, [this] { onFindNext(); }},
        {cmd::SaveLog, [this] { onSaveLog(); }},
        {cmd::NextTab, [this] { switchTab(cmd::NextTab); }},
        {cmd::PreviousTab, [this] { switchTab(cmd::PreviousTab); }},
        {cmd::SaveToFile, [this] { documents_->onSaveToFile(); }},
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
            documents_->onRecentFile(id);
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
    language_.TranslateMenuBar(bar);
    commands_->translateRemaining(language_);
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
        if (id != 0 && language_.Tooltip(id, tip) && !tip.isEmpty()) {
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
    view_ = new ConfigView(*document_, language_);
    view_->CreateView(viewHolder_, windowSettings_.splitterPos);
    layout->addWidget(view_);
    tabs_->addTab(viewHolder_, QIcon(QStringLiteral(":/configview/icons/icon210.png")),
                  language_.Text(text::ConfigTab));

    // The monitor pane lives as long as the window; its tab comes and goes.
    monitor_ = new SystemMonitorPane(language_, this);
    monitor_->setObjectName(QStringLiteral("monitorPane"));
    monitor_->traceLog().setLineLimit(static_cast<int>(windowSettings_.logLines));
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
    inputs.documentEmpty = document_->isEmpty();
    inputs.activeView = activeView();
    inputs.logHasSelection = inputs.activeView == 1 && monitor_->traceLog().window() != nullptr &&
                             monitor_->traceLog().window()->textCursor().hasSelection();
    inputs.monitorTabShown = monitorTabShown_;
    states_ = computeCommandStates(inputs);
    commands_->apply(states_, gateway_ != nullptr && gateway_->busy());
    commands_->action(cmd::ReadBackAfterWrite)->setChecked(windowSettings_.readBackAfterWrite);
    commands_->action(cmd::ReviewBeforeWrite)->setChecked(windowSettings_.reviewBeforeWrite);
    commands_->action(cmd::BackupBeforeWrite)->setChecked(windowSettings_.backupBeforeWrite);
}

void MainFrame::refreshStatus() {
    StatusInputs inputs;
    inputs.channelRunning = channel_.isOpen();
    inputs.sessionFailed = session_.state() == SessionState::Failed;
    // Only what really runs: monitoring the user wants while the port is away is not on.
    inputs.monitoringOn = gateway_ != nullptr && gateway_->monitoringRunning();
    status_->refresh(language_, inputs);
}

void MainFrame::refresh() {
    updateCommandStates();
    refreshStatus();
}

QString MainFrame::documentName() const {
    const LanguageManager& language = language_;
    const QString fileName = QFileInfo(document_->filePath()).fileName();
    switch (document_->source()) {
    case ConfigDocument::Source::Empty:
        break;
    case ConfigDocument::Source::New:
    case ConfigDocument::Source::Converter:
        return language.Text(text::UntitledDocument);
    case ConfigDocument::Source::File:
        return fileName;
    case ConfigDocument::Source::ConverterOverFile: {
        const FormatArg name(fileName);
        return FormatText(language.Text(text::ReadOverFileNameFormat), std::span(&name, 1));
    }
    }
    return QString();
}

void MainFrame::updateTitle() {
    const QString title = language_.Text(text::AppTitle);
    QString name = documentName();
    if (name.isEmpty()) {
        setWindowTitle(title);
        setWindowModified(false);
        return;
    }
    // "[*]" is the marker's place; one in the name itself stands for itself when doubled.
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(name + QStringLiteral("[*] - ") + title);
    // An edit on the page in front counts before the page's values are taken in.
    setWindowModified(document_->isModified() || view_->pageHoldsChanges());
}

void MainFrame::setInputEnabled(bool enabled) {
    header_->setEnabled(enabled);
    tabs_->setEnabled(enabled);
    updateCommandStates();
}

void MainFrame::rememberPlacement() {
    const QRect normal = (isMaximized() || isFullScreen()) ? normalGeometry() : geometry();
    WindowSettings& settings = windowSettings_;
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
    gateway_->stopMonitoringForClose();
    if (!view_->QuerySave()) {
        event->ignore();
        return;
    }
    channel_.stop();
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
    documents_->onDropFiles(paths);
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
