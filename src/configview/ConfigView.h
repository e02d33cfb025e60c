#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include <QString>
#include <QWidget>

#include <memory>

class QEvent;
class QLabel;
class QScrollArea;
class QSplitter;
class QTreeWidgetItem;

namespace vandrel {

class ConfigPage;
class LanguageManager;
class PageTree;
class ViewTimer;

// The configuration document and its editor: the file name, the DeviceInfo beside the record,
// the modified and empty flags, a tree of pages on the left and the page being edited on the
// right. It edits the record it is given (owned by the application) and decides when page
// values go back into it. Message boxes go through the language manager; bringing the view's
// tab to the front and saving to the current file are signals the main window answers
// synchronously (connect them directly).
class ConfigView : public QWidget {
    Q_OBJECT
public:
    enum DocumentFlag : int { Modified = 0x1, Empty = 0x2 };

    static constexpr int DefaultTreeWidth = 240;
    static constexpr int HalfTreeWidth = -1; // tree pane width: half of the view
    static constexpr int MinPaneWidth = 64;
    static constexpr int KeyboardDelayMs = 500;
    static constexpr int TitleChars = 80;
    static constexpr int CaptionChars = 260;

    ConfigView(ConverterConfig& record, const LanguageManager& language);
    ~ConfigView() override;

    // Builds the title, tree, splitter and page area inside `parent` with the tree pane
    // `treeWidth` wide (0: 240 pixels, -1: half the width), or wider when the page names need
    // it, and shows the blank page; the document starts empty. False when the view was built
    // already.
    bool CreateView(QWidget* parent, int treeWidth);

    // Loads `path` into the record, or the defaults when `path` is empty (New). On a file that
    // cannot be read, shows why and leaves the document as it was.
    bool OpenDocument(const QString& path = QString());
    // Collects the page and writes the document to `path`, or to the current file when empty.
    bool SaveDocument(const QString& path = QString());
    // Asks whether to save a modified document; false when the caller must stop.
    bool QuerySave();
    // Makes the document empty; the record keeps its contents.
    bool CloseDocument();
    // Call after a complete record from the converter has replaced the record's contents.
    void ShowDeviceConfiguration();
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

    int documentFlags() const { return documentFlags_; }
    bool isModified() const { return (documentFlags_ & Modified) != 0; }
    bool isEmpty() const { return (documentFlags_ & Empty) != 0; }
    const QString& filePath() const { return filePath_; }
    const DeviceInfo& deviceInfo() const { return deviceInfo_; }
    // The converter's system information arrived; shown the next time page 41 is built.
    void setDeviceInfo(const DeviceInfo& info) { deviceInfo_ = info; }
    int currentPage() const { return currentPage_; }
    ConfigPage* page() const { return page_.get(); }
    PageTree* tree() const { return tree_; }

    // Replaces the timer that delays building a page after a keyboard move.
    void setKeyboardTimer(std::unique_ptr<ViewTimer> timer);

signals:
    // A page refused its values: show the configuration tab before the message.
    void configurationTabWanted();
    // The save question was answered Yes: save to the current file (or ask for one).
    void saveToFileWanted();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
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

    ConverterConfig& record_;
    const LanguageManager& language_;
    std::unique_ptr<ViewTimer> keyboardTimer_;

    QLabel* title_ = nullptr;
    QSplitter* splitter_ = nullptr;
    PageTree* tree_ = nullptr;
    QScrollArea* pageArea_ = nullptr;
    std::unique_ptr<ConfigPage> page_;

    int currentPage_ = -1;
    DeviceInfo deviceInfo_;
    QString filePath_;
    int documentFlags_ = Empty;
    // Tree width still to be applied once the view has its size.
    int pendingTreeWidth_ = DefaultTreeWidth;
    bool treeWidthPending_ = true;
    bool treeWidthApplied_ = false;
    // Set while the view rebuilds the tree itself.
    bool rebuilding_ = false;
};

} // namespace vandrel
