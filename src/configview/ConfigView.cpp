#include "configview/ConfigView.h"

#include "config/ConfigFile.h"
#include "configview/ChangeMarks.h"
#include "configview/ConfigDocument.h"
#include "configview/ConfigPage.h"
#include "configview/FieldPresentation.h"
#include "configview/PageFactory.h"
#include "configview/PageTable.h"
#include "configview/PageTree.h"
#include "configview/ViewTimer.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <vector>

// The tree images live in the library's resources; a static library must name them once.
static void initConfigViewResources() {
    Q_INIT_RESOURCE(configview);
}

namespace vandrel {

namespace {

constexpr MessageStyle Exclamation{MessageButtons::Ok, MessageIcon::Warning};
constexpr MessageStyle SaveQuestion{MessageButtons::YesNoCancel, MessageIcon::Question};
constexpr int PageIdRole = Qt::UserRole;

QIcon treeIcon(int image, int selectedImage) {
    auto pixmap = [](int index) {
        return QPixmap(QStringLiteral(":/configview/icons/icon%1.png").arg(210 + index));
    };
    QIcon icon(pixmap(image));
    icon.addPixmap(pixmap(selectedImage), QIcon::Selected);
    return icon;
}

// Controls of `page` that Tab reaches, in focus order.
QList<QWidget*> tabStops(QWidget* page) {
    QList<QWidget*> stops;
    for (QWidget* w = page->nextInFocusChain(); w != page && w != nullptr;
         w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(page) &&
            (w->focusPolicy() & Qt::TabFocus) != 0) {
            stops.append(w);
        }
    }
    return stops;
}

} // namespace

ConfigView::ConfigView(ConfigDocument& document, const LanguageManager& language)
    : document_(document), language_(language), keyboardTimer_(MakeQtViewTimer()),
      marks_(std::make_unique<ChangeMarks>(language)) {
    keyboardTimer_->setExpiry([this] { switchPage(); });
    connect(marks_.get(), &ChangeMarks::pageMarkChanged, this, [this] {
        updateTreeMarks();
        emit pageChangesChanged();
    });
}

ConfigView::~ConfigView() {
    destroyPage();
}

void ConfigView::setKeyboardTimer(std::unique_ptr<ViewTimer> timer) {
    keyboardTimer_ = std::move(timer);
    keyboardTimer_->setExpiry([this] { switchPage(); });
}

bool ConfigView::CreateView(QWidget* parent, int treeWidth) {
    if (splitter_ != nullptr) {
        return false;
    }
    initConfigViewResources();
    setParent(parent);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    title_ = new QLabel(language_.Text(text::ConfigPaneTitle, TitleChars), this);
    title_->setTextFormat(Qt::PlainText);
    title_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    title_->setMargin(3);
    layout->addWidget(title_);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(false);
    layout->addWidget(splitter_, 1);

    tree_ = new PageTree(splitter_);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setIconSize(QSize(16, 16));
    tree_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    tree_->setLineWidth(1);
    tree_->setMinimumWidth(MinPaneWidth);
    tree_->setGate([this] { return CollectPage(); });
    tree_->setAccessibleName(language_.Text(text::PageTreeName));
    // The tree's own current-item signal stays with the selection model it was built with.
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ConfigView::selectionChanged);

    pageArea_ = new QScrollArea(splitter_);
    pageArea_->setWidgetResizable(true);
    pageArea_->setMinimumWidth(MinPaneWidth);
    // The page's controls take the focus; the area around them is no Tab stop of its own.
    pageArea_->setFocusPolicy(Qt::NoFocus);

    splitter_->addWidget(tree_);
    splitter_->addWidget(pageArea_);
    // The tree pane keeps its width when the view is resized.
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    // From the user's first drag on, the width is theirs.
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { treeWidthPending_ = false; });
    SetSplitterPosition(treeWidth);

    connect(&document_, &ConfigDocument::opened, this, &ConfigView::documentOpened);
    connect(&document_, &ConfigDocument::recordReplaced, this, &ConfigView::recordReplaced);
    connect(&document_, &ConfigDocument::closed, this, &ConfigView::documentClosed);
    connect(&document_, &ConfigDocument::deviceInfoChanged, this, &ConfigView::deviceInfoChanged);
    connect(&document_, &ConfigDocument::savedRecordChanged, this, &ConfigView::savedRecordChanged);
    currentPage_ = PageId::Blank;
    createPage(PageId::Blank);
    if (!document_.isEmpty()) {
        documentOpened();
    }
    return true;
}

void ConfigView::SetSplitterPosition(int treeWidth) {
    pendingTreeWidth_ = treeWidth == 0 ? DefaultTreeWidth : treeWidth;
    treeWidthPending_ = true;
    applyTreeWidth(isVisible());
}

int ConfigView::SplitterPosition() const {
    if (!treeWidthApplied_ || splitter_ == nullptr) {
        return pendingTreeWidth_;
    }
    return splitter_->sizes().value(0, pendingTreeWidth_);
}

void ConfigView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) {
        applyTreeWidth(true);
    }
}

void ConfigView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The view may still have the size of a layout made before its window was placed: the
    // width stands for now, and the resize that follows, if any, gives it again.
    applyTreeWidth(false);
}

void ConfigView::applyTreeWidth(bool settled) {
    if (!treeWidthPending_ || splitter_ == nullptr) {
        return;
    }
    const int total = splitter_->width() - splitter_->handleWidth();
    if (total < 2 * MinPaneWidth) {
        return; // not laid out yet
    }
    int width = pendingTreeWidth_ == HalfTreeWidth ? total / 2 : pendingTreeWidth_;
    // Wide enough for the page names; a stored width that is wider stays.
    width = std::max(width, fittingTreeWidth());
    width = std::clamp(width, MinPaneWidth, total - MinPaneWidth);
    splitter_->setSizes({width, total - width});
    treeWidthApplied_ = true;
    treeWidthPending_ = !settled;
}

int ConfigView::fittingTreeWidth() const {
    std::vector<PageTree::Caption> captions;
    for (const PageRow& row : kPageTable) {
        int depth = 0;
        for (const PageRow* up = FindPageRow(row.parentId); up != nullptr;
             up = FindPageRow(up->parentId)) {
            ++depth;
        }
        captions.push_back({caption(row.pageId), depth});
    }
    return tree_->fittingWidth(captions);
}

void ConfigView::fitTreeWidth() {
    if (splitter_ == nullptr || !treeWidthApplied_) {
        return; // the first layout fits it
    }
    if (treeWidthPending_) {
        applyTreeWidth(false);
        return;
    }
    // Only ever wider, and only now: a pane the user narrowed stays as they left it.
    const QList<int> sizes = splitter_->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int needed = std::min(fittingTreeWidth(), total - MinPaneWidth);
    if (sizes.value(0) < needed) {
        splitter_->setSizes({needed, total - needed});
    }
}

QString ConfigView::caption(int pageId) const {
    const PageRow* row = FindPageRow(pageId);
    return row == nullptr ? QString() : language_.Text(row->captionText, CaptionChars);
}

void ConfigView::buildTree() {
    rebuilding_ = true;
    tree_->clear();
    std::map<int, QTreeWidgetItem*> items;
    for (const PageRow& row : kPageTable) {
        QTreeWidgetItem* item = row.parentId < 0 ? new QTreeWidgetItem(tree_)
                                                 : new QTreeWidgetItem(items.at(row.parentId));
        item->setText(0, caption(row.pageId));
        item->setData(0, PageIdRole, row.pageId);
        item->setIcon(0, treeIcon(row.image, row.selectedImage));
        items[row.pageId] = item;
    }
    for (int group : {PageId::Group1, PageId::Group2, PageId::Group4, PageId::Root}) {
        items.at(group)->setExpanded(true);
    }
    rebuilding_ = false;
    QTreeWidgetItem* root = items.at(PageId::Root);
    if (tree_->currentItem() == root) {
        switchPage();
    } else {
        tree_->setCurrentItem(root);
    }
}

void ConfigView::selectionChanged() {
    if (rebuilding_) {
        return;
    }
    keyboardTimer_->stop();
    // A keyboard user running through the tree gets only the page they rest on.
    if (tree_->changingByKeyboard()) {
        keyboardTimer_->start(KeyboardDelayMs);
    } else {
        switchPage();
    }
}

void ConfigView::switchPage() {
    if (document_.isEmpty()) {
        return;
    }
    const QTreeWidgetItem* item = tree_->currentItem();
    const int pageId = item == nullptr ? PageId::Root : item->data(0, PageIdRole).toInt();
    CollectPage();
    destroyPage();
    createPage(pageId);
}

void ConfigView::createPage(int pageId) {
    page_ = CreatePage(pageId, document_.record(), document_.deviceInfo(), language_, nullptr);
    if (page_ != nullptr) {
        pageArea_->setWidget(page_.get());
    }
    currentPage_ = pageId;
    marks_->follow(IsEditingPage(pageId) ? page_.get() : nullptr, pageId, document_.savedRecord());
    updateTreeMarks();
}

void ConfigView::destroyPage() {
    marks_->follow(nullptr, PageId::Blank, document_.savedRecord());
    if (page_ != nullptr) {
        if (pageArea_->widget() == page_.get()) {
            pageArea_->takeWidget();
        }
        page_.reset();
    }
}

bool ConfigView::CollectPage() {
    if (!IsEditingPage(currentPage_) || page_ == nullptr) {
        return true;
    }
    if (!page_->collect()) {
        emit configurationTabWanted();
        language_.MessageBox(RefusalText(currentPage_), text::CaptionIncomplete, Exclamation);
        return false;
    }
    document_.takeEdits(page_->copy(), PageBlocks(currentPage_));
    return true;
}

bool ConfigView::OpenDocument(const QString& path) {
    if (path.isEmpty()) {
        document_.newDocument();
        return true;
    }
    const int code = document_.load(path);
    if (code != kConfigLoaded) {
        const int reason =
            code == kConfigMissing ? text::ConfigFileMissing : text::ConfigFileDamaged;
        language_.FormatMessageBox(text::ConfigReadFailedFormat, text::CaptionError, Exclamation,
                                   {language_.Text(reason)});
        return false;
    }
    return true;
}

bool ConfigView::SaveDocument(const QString& path) {
    if (document_.isEmpty() || !CollectPage()) {
        return false;
    }
    const int code = path.isEmpty() ? document_.save() : document_.saveAs(path);
    if (code != kConfigWritten) {
        language_.MessageBox(text::ConfigWriteFailed, text::CaptionError, Exclamation);
        return false;
    }
    return true;
}

bool ConfigView::QuerySave() {
    if (document_.isEmpty()) {
        return true;
    }
    if (!CollectPage()) {
        return false;
    }
    if (!document_.isModified()) {
        return true;
    }
    // A read over a file's document would replace that file: the question says so.
    const bool overFile = document_.source() == ConfigDocument::Source::ConverterOverFile;
    const QString& path = document_.filePath();
    const int question = overFile ? text::SaveReadOverFileFormat : text::SaveChangesFormat;
    const QString name = path.isEmpty() ? language_.Text(text::UntitledDocument) : path;
    switch (language_.FormatMessageBox(question, text::AppTitle, SaveQuestion, {name})) {
    case ResultNo:
        return true;
    case ResultYes:
        emit saveToFileWanted();
        return !document_.isModified();
    default:
        // Cancel, or no answer at all: keep the changes.
        return false;
    }
}

bool ConfigView::CloseDocument() {
    document_.close();
    return true;
}

void ConfigView::documentOpened() {
    if (tree_ == nullptr) {
        return;
    }
    keyboardTimer_->stop();
    destroyPage(); // not collected: its values belong to the document that went
    buildTree();
}

void ConfigView::recordReplaced() {
    if (tree_ == nullptr) {
        return;
    }
    // The page shows values of the record that went: it goes without being collected.
    destroyPage();
    if (currentPage_ != PageId::Root) {
        QTreeWidgetItem* root = tree_->topLevelItem(0);
        keyboardTimer_->stop();
        if (tree_->currentItem() == root) {
            switchPage();
        } else {
            tree_->setCurrentItem(root);
        }
    } else {
        createPage(PageId::Root);
    }
}

void ConfigView::documentClosed() {
    if (tree_ == nullptr) {
        return;
    }
    keyboardTimer_->stop();
    rebuilding_ = true;
    tree_->clear();
    rebuilding_ = false;
    destroyPage();
    createPage(PageId::Blank);
    currentPage_ = PageId::Blank;
}

void ConfigView::deviceInfoChanged() {
    // The versions page shows the device information as it was built: build it again.
    if (currentPage_ == PageId::Page41 && page_ != nullptr) {
        destroyPage();
        createPage(PageId::Page41);
    }
}

void ConfigView::RetranslateView() {
    if (title_ != nullptr) {
        title_->setText(language_.Text(text::ConfigPaneTitle, TitleChars));
    }
    if (tree_ != nullptr) {
        tree_->setAccessibleName(language_.Text(text::PageTreeName));
        fitTreeWidth();
    }
    if (currentPage_ == PageId::Blank) {
        return;
    }
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        (*it)->setText(0, caption((*it)->data(0, PageIdRole).toInt()));
    }
    if (page_ != nullptr) {
        page_->retranslate();
    }
    // The marks say the values in words of the language.
    marks_->compareWith(document_.savedRecord());
    updateTreeMarks();
}

void ConfigView::savedRecordChanged() {
    marks_->compareWith(document_.savedRecord());
    updateTreeMarks();
}

bool ConfigView::pageHoldsChanges() const {
    return page_ != nullptr && IsEditingPage(currentPage_) && marks_->anyMarked();
}

void ConfigView::updateTreeMarks() {
    if (tree_ == nullptr || tree_->topLevelItemCount() == 0) {
        return;
    }
    std::map<int, bool> changed;
    for (const PageRow& row : kPageTable) {
        if (!IsEditingPage(row.pageId)) {
            continue;
        }
        // The page being edited by what its controls show now, the others by the record.
        const bool shown = row.pageId == currentPage_ && page_ != nullptr;
        const bool holds = shown ? marks_->anyMarked()
                                 : PageShowsDifference(row.pageId, document_.record(),
                                                       document_.savedRecord(), language_);
        changed[row.pageId] = holds;
        // The group shows it too; the root would only repeat the title's modified mark.
        if (row.parentId != PageId::Root) {
            changed[row.parentId] = changed[row.parentId] || holds;
        }
    }
    const QString description = language_.Text(text::PageChangedMark);
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        const auto found = changed.find((*it)->data(0, PageIdRole).toInt());
        PageTree::SetChanged(*it, found != changed.end() && found->second, description);
    }
}

QTreeWidgetItem* ConfigView::itemOf(int pageId) const {
    if (tree_ == nullptr) {
        return nullptr;
    }
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        if ((*it)->data(0, PageIdRole).toInt() == pageId) {
            return *it;
        }
    }
    return nullptr;
}

bool ConfigView::showControl(int pageId, const QString& control) {
    QTreeWidgetItem* target = itemOf(pageId);
    if (document_.isEmpty() || target == nullptr) {
        return false;
    }
    keyboardTimer_->stop();
    if (tree_->currentItem() != target) {
        tree_->setCurrentItem(target);
        if (tree_->currentItem() != target) {
            return false; // the page being edited refused to be left
        }
    } else if (currentPage_ != pageId || page_ == nullptr) {
        switchPage(); // a keyboard move had not built the page yet
    }
    tree_->scrollToItem(target);
    QWidget* shown =
        page_ == nullptr || control.isEmpty() ? nullptr : page_->findChild<QWidget*>(control);
    if (shown == nullptr) {
        return true;
    }
    pageArea_->ensureWidgetVisible(shown);
    if (QWidget* focus = focusTarget(pageId, shown)) {
        focus->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

QWidget* ConfigView::focusTarget(int pageId, QWidget* control) const {
    const auto enabledRadio = [control](bool checkedOnly) -> QWidget* {
        for (auto* radio : control->findChildren<QAbstractButton*>()) {
            if (radio->isEnabled() && (!checkedOnly || radio->isChecked())) {
                return radio;
            }
        }
        return nullptr;
    };
    if (qobject_cast<QGroupBox*>(control) != nullptr) {
        QWidget* radio = enabledRadio(true);
        return radio != nullptr ? radio : enabledRadio(false);
    }
    if (control->focusPolicy() == Qt::NoFocus) {
        return nullptr; // a value shown as a label
    }
    if (control->isEnabled()) {
        return control;
    }
    // A field switched off: its switch, the innermost one that can be used.
    const FieldPresentation* row = FindPresentation(pageId, control->objectName().toStdString());
    if (row == nullptr) {
        return nullptr;
    }
    const FieldSwitch& fieldSwitch = PresentedField(*row).rules.fieldSwitch;
    QWidget* found = nullptr;
    for (const FieldPresentation* other : PresentationsOf(pageId)) {
        if (other->kind == ControlKind::Edit ||
            PresentedField(*other).offset != fieldSwitch.offset ||
            (other->mask & fieldSwitch.mask) == 0) {
            continue;
        }
        QWidget* candidate = PresentedControl(*other, page_.get());
        if (candidate != nullptr && candidate->isEnabled()) {
            found = candidate;
        }
    }
    return found;
}

bool ConfigView::FilterMessage(QObject* receiver, QEvent* event) {
    if (page_ == nullptr || !IsEditingPage(currentPage_) || event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (widget == nullptr || !page_->isAncestorOf(widget)) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool back = key->key() == Qt::Key_Backtab ||
                      (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
    if ((key->key() != Qt::Key_Tab && !back) ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0) {
        return false;
    }
    const QList<QWidget*> stops = tabStops(page_.get());
    if (stops.isEmpty()) {
        return false;
    }
    // Tab cycles through the page's controls and does not leave the page.
    const qsizetype at = stops.indexOf(widget);
    const qsizetype count = stops.size();
    const qsizetype next = at < 0 ? 0 : (at + (back ? count - 1 : 1)) % count;
    stops[next]->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    return true;
}

void ConfigView::NextPane() {
    togglePaneFocus();
}

void ConfigView::PreviousPane() {
    togglePaneFocus();
}

void ConfigView::togglePaneFocus() {
    const PageRow* row = FindPageRow(currentPage_);
    const bool textPage = row == nullptr || row->bodyText != NoText;
    if (!isVisible() || document_.isEmpty() || page_ == nullptr || textPage) {
        return;
    }
    if (!tree_->hasFocus()) {
        tree_->setFocus(Qt::OtherFocusReason);
        return;
    }
    const QList<QWidget*> stops = tabStops(page_.get());
    if (stops.isEmpty()) {
        page_->setFocus(Qt::OtherFocusReason);
    } else {
        stops.front()->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace vandrel
