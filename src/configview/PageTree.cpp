#include "configview/PageTree.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace vandrel {

PageTree::PageTree(QWidget* parent) : QTreeWidget(parent) {
    setSelectionModel(new GatedSelectionModel(model(), this));
}

void PageTree::setGate(Gate gate) {
    static_cast<GatedSelectionModel*>(selectionModel())->setGate(std::move(gate));
}

void PageTree::keyPressEvent(QKeyEvent* event) {
    byKeyboard_ = true;
    QTreeWidget::keyPressEvent(event);
    byKeyboard_ = false;
}

int PageTree::fittingWidth(std::span<const Caption> captions) const {
    // An item as the tree's delegate measures it: its image, then its text.
    QStyleOptionViewItem option;
    option.initFrom(this);
    option.decorationSize = iconSize();
    option.decorationPosition = QStyleOptionViewItem::Left;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    int widest = 0;
    for (const Caption& caption : captions) {
        option.text = caption.text;
        const int item =
            style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width();
        // Each level is indented, the top level too when it has expand buttons.
        const int levels = caption.depth + (rootIsDecorated() ? 1 : 0);
        widest = std::max(widest, levels * indentation() + item);
    }
    return widest + 2 * frameWidth() +
           style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

GatedSelectionModel::GatedSelectionModel(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent) {}

void GatedSelectionModel::setCurrentIndex(const QModelIndex& index,
                                          QItemSelectionModel::SelectionFlags command) {
    if (index.isValid() && index != currentIndex() && !moving_ && gate_ && !gate_()) {
        return;
    }
    moving_ = true;
    QItemSelectionModel::setCurrentIndex(index, command);
    moving_ = false;
}

void GatedSelectionModel::select(const QModelIndex& index,
                                 QItemSelectionModel::SelectionFlags command) {
    select(QItemSelection(index, index), command);
}

void GatedSelectionModel::select(const QItemSelection& selection,
                                 QItemSelectionModel::SelectionFlags command) {
    if (allowed(selection, command)) {
        QItemSelectionModel::select(selection, command);
    }
}

bool GatedSelectionModel::allowed(const QItemSelection& selection,
                                  QItemSelectionModel::SelectionFlags command) const {
    if (moving_ || !(command & (Select | Toggle))) {
        return true;
    }
    for (const QModelIndex& index : selection.indexes()) {
        if (index != currentIndex()) {
            return false;
        }
    }
    return true;
}

} // namespace vandrel
