#include "configview/PageTree.h"

#include <QKeyEvent>

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
