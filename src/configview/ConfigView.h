#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QEvent;
class QLabel;
class QScrollArea;
class QSplitter;
class QTreeWidgetItem;

namespace vandrel {

class ChangeMarks;
class ConfigDocument;
class ConfigPage;
class LanguageManager;
class PageTree;
class ViewTimer;

// The editor of a configuration document: a tree of pages on the left and the page being edited
// on the right. The document owns the record, the file and the flags; the view shows the
// document's record on its pages, follows the document's signals and decides when page values
// go back into the document. It runs the document operations that need the page collected
// first or that tell the user why they failed. Message boxes go through the language manager;
// bringing the view's tab to the front and saving to the current file are signals the main
// window answers synchronously (connect them directly).
class ConfigView : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultTreeWidth = 240;
    static constexpr int HalfTreeWidth = -1; // tree pane width: half of the view
    static constexpr int MinPaneWidth = 64;
    static constexpr int KeyboardDelayMs = 500;
    static constexpr int TitleChars = 80;
    static constexpr int CaptionChars = 260;

    ConfigView(ConfigDocument& document, const LanguageManager& language);
    ~ConfigView() override;

    // Builds the title, tree, splitter and page area inside `parent` with the tree pane
    // `treeWidth` wide (0: 240 pixels, -1: half the width), or wider when the page names need
    // it, and shows the document: the blank page while it is empty. False when the view was
    // built already.
    bool CreateView(QWidget* parent, int treeWidth);

    // Opens the file `path` as the document, or a new one from the defaults when `path` is
    // empty (New). On a file that cannot be read, shows why and leaves the document as it was.
    bool OpenDocument(const QString& path = QString());
    // Collects the page and writes the document to `path`, or to its own file when empty; shows
    // why when the file cannot be written.
    bool SaveDocument(const QString& path = QString());
    // Asks whether to save a modified document; false when the caller must stop.
    bool QuerySave();
    // Makes the document empty; the record keeps its contents.
    bool CloseDocument();
    // Takes the values of the page being edited into the record; false when the page refuses.
    bool CollectPage();
    // Sets every text again after a language switch, and widens the tree pane when the new
    // page names need it.
    void RetranslateView();
    // Width of the tree pane, for the settings.
    int SplitterPosition() const;
    // The least width of the tree pane: the page names of the language in use need it.
    int fittingTreeWidth() const;
    void SetSplitterPosition(int treeWidth);
    // Keyboard handling of an edited page (Tab and Shift+Tab cycle through its controls) for an
    // event about to reach `receiver`; true when the event was consumed.
    bool FilterMessage(QObject* receiver, QEvent* event);
    // Next and previous pane (F6, Shift+F6): moves the focus between the tree and the page.
    void NextPane();
    void PreviousPane();
    // Shows the page `pageId` (collecting the page being edited first) and gives the control
    // named `control` the focus, scrolled into view: the checked radio of a radio group, the
    // switch of a field that is switched off. False when there is no such page or the page
    // being edited refused to be left.
    bool showControl(int pageId, const QString& control);

    ConfigDocument& document() const { return document_; }
    int currentPage() const { return currentPage_; }
    ConfigPage* page() const { return page_.get(); }
    PageTree* tree() const { return tree_; }
    // The marks of the changed values on the page being edited.
    const ChangeMarks& changeMarks() const { return *marks_; }
    // True while the page in front shows a value that differs from the configuration as loaded,
    // read or last saved, before the page's values are taken into the document.
    bool pageHoldsChanges() const;

    // Replaces the timer that delays building a page after a keyboard move.
    void setKeyboardTimer(std::unique_ptr<ViewTimer> timer);

signals:
    // A page refused its values: show the configuration tab before the message.
    void configurationTabWanted();
    // The save question was answered Yes: save to the current file (or ask for one).
    void saveToFileWanted();
    // pageHoldsChanges() may have changed.
    void pageChangesChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // What the view does when the document changes.
    void documentOpened();
    void recordReplaced();
    void documentClosed();
    void deviceInfoChanged();

    void buildTree();
    void selectionChanged();
    void switchPage();
    void createPage(int pageId);
    void destroyPage();
    // Gives the tree pane its width once the view has a size; `settled`: the size is the one
    // the view is shown at, nothing more to wait for.
    void applyTreeWidth(bool settled);
    // Widens the tree pane to that width when it is narrower.
    void fitTreeWidth();
    void togglePaneFocus();
    QString caption(int pageId) const;
    QTreeWidgetItem* itemOf(int pageId) const;
    // Where the focus goes to show `control` of `pageId`; nullptr when nothing there takes it.
    QWidget* focusTarget(int pageId, QWidget* control) const;
    // Marks the pages (and their groups) that show values other than the saved configuration.
    void updateTreeMarks();
    void savedRecordChanged();

    ConfigDocument& document_;
    const LanguageManager& language_;
    std::unique_ptr<ViewTimer> keyboardTimer_;
    std::unique_ptr<ChangeMarks> marks_;

    QLabel* title_ = nullptr;
    QSplitter* splitter_ = nullptr;
    PageTree* tree_ = nullptr;
    QScrollArea* pageArea_ = nullptr;
    std::unique_ptr<ConfigPage> page_;

    int currentPage_ = -1;
    // Tree width still to be applied once the view has its size.
    int pendingTreeWidth_ = DefaultTreeWidth;
    bool treeWidthPending_ = true;
    bool treeWidthApplied_ = false;
    // Set while the view rebuilds the tree itself.
    bool rebuilding_ = false;
};

} // namespace vandrel
