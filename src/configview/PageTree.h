#pragma once

#include <QItemSelectionModel>
#include <QTreeWidget>

#include <functional>
#include <span>

namespace vandrel {

// The tree of pages. Before the current item changes it asks its gate, which may refuse: the
// tree then stays on its item, whether the change came from the mouse, the keyboard or a call.
class PageTree : public QTreeWidget {
    Q_OBJECT
public:
    using Gate = std::function<bool()>;

    // An item's caption and its depth (0: top level).
    struct Caption {
        QString text;
        int depth = 0;
    };

    explicit PageTree(QWidget* parent = nullptr);

    void setGate(Gate gate);
    // True while a key press is being handled, so that the view can delay what follows.
    bool changingByKeyboard() const { return byKeyboard_; }
    // The width the tree needs to show each of `captions` whole with its image and a change
    // mark, in its font and style, a vertical scroll bar included.
    int fittingWidth(std::span<const Caption> captions) const;

    // Marks an item whose page holds changes (a dot behind its caption), with `description` for
    // assistive technology; or takes the mark away.
    static void SetChanged(QTreeWidgetItem* item, bool changed, const QString& description);
    static bool IsChanged(const QTreeWidgetItem* item);
    // Room the mark takes behind a caption.
    static constexpr int MarkRoom = 16;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool byKeyboard_ = false;
};

// Keeps the current index and the selection together, and lets a gate refuse moving them.
class GatedSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    explicit GatedSelectionModel(QAbstractItemModel* model, QObject* parent = nullptr);

    void setGate(PageTree::Gate gate) { gate_ = std::move(gate); }

    void setCurrentIndex(const QModelIndex& index,
                         QItemSelectionModel::SelectionFlags command) override;
    void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection,
                QItemSelectionModel::SelectionFlags command) override;

private:
    // Selecting anything but the current item is refused unless the current item is moving.
    bool allowed(const QItemSelection& selection,
                 QItemSelectionModel::SelectionFlags command) const;

    PageTree::Gate gate_;
    bool moving_ = false;
};

} // namespace vandrel
