#include "configview/PageTree.h"

#include "configview/ChangeFrame.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>

#include <algorithm>

namespace vandrel {

namespace {

constexpr int ChangedRole = Qt::UserRole + 1;
constexpr int MarkDiameter = 7;
constexpr int MarkGap = 5;

// Items as the style draws them, with room for the change mark behind the caption and the mark
// itself where the item's page holds changes.
class ChangeMarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += PageTree::MarkRoom;
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!index.data(ChangedRole).toBool()) {
            return;
        }
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        const QStyle* style = widget != nullptr ? widget->style() : nullptr;
        if (style == nullptr) {
            return;
        }
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
        // The style sets the caption in from the edge of its rectangle.
        const int inset = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int end = std::min(
            text.left() + inset + item.fontMetrics.horizontalAdvance(item.text), text.right());
        const QPointF centre(end + MarkGap + MarkDiameter / 2.0, text.center().y() + 1);
        const bool selected = (item.state & QStyle::State_Selected) != 0;
        const QColor colour = selected ? item.palette.color(QPalette::HighlightedText)
                                       : ChangeMarkColor(item.palette);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawEllipse(centre, MarkDiameter / 2.0, MarkDiameter / 2.0);
        painter->restore();
    }
};

} // namespace

PageTree::PageTree(QWidget* parent) : QTreeWidget(parent) {
    setSelectionModel(new GatedSelectionModel(model(), this));
    setItemDelegate(new ChangeMarkDelegate(this));
}

void PageTree::SetChanged(QTreeWidgetItem* item, bool changed, const QString& description) {
    if (item == nullptr) {
        return;
    }
    if (IsChanged(item) != changed) {
        item->setData(0, ChangedRole, changed);
    }
    const QString said = changed ? description : QString();
    if (item->data(0, Qt::AccessibleDescriptionRole).toString() != said) {
        item->setData(0, Qt::AccessibleDescriptionRole, said);
    }
}

bool PageTree::IsChanged(const QTreeWidgetItem* item) {
    return item != nullptr && item->data(0, ChangedRole).toBool();
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
        widest = std::max(widest, levels * indentation() + item + MarkRoom);
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
