#include "shell/ui/BackupListDialog.h"

#include "ui_BackupListDialog.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

namespace vandrel {

BackupListDialog::BackupListDialog(std::vector<BackupListEntry> entries,
                                   const LanguageManager& languages, QWidget* parent)
    : ShellDialog(languages, parent), ui_(std::make_unique<Ui::BackupListDialogForm>()),
      entries_(std::move(entries)) {
    ui_->setupUi(this);
    translateTexts();
    retranslateColumns();
    QTreeWidget* list = ui_->ctl1010;
    for (const BackupListEntry& entry : entries_) {
        auto* item = new QTreeWidgetItem(list, {entry.saved, entry.firmware, entry.differing});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(0, entry.path);
    }
    for (int column = 0; column < list->columnCount(); ++column) {
        list->resizeColumnToContents(column);
    }
    if (list->topLevelItemCount() > 0) {
        list->setCurrentItem(list->topLevelItem(0));
    }
    ui_->ctl1->setEnabled(list->currentItem() != nullptr);
    connect(list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { ui_->ctl1->setEnabled(current != nullptr); });
    connect(list, &QTreeWidget::itemActivated, this, [this] { accept(); });
    connect(ui_->ctl1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->ctl2, &QPushButton::clicked, this, &QDialog::reject);
    list->setFocus();
}

BackupListDialog::~BackupListDialog() = default;

void BackupListDialog::retranslateColumns() {
    ui_->ctl1010->setHeaderLabels({languages_.Text(text::RestoreColumnSaved),
                                   languages_.Text(text::RestoreColumnFirmware),
                                   languages_.Text(text::RestoreColumnDiffering)});
}

const BackupListEntry* BackupListDialog::chosen() const {
    const int row = ui_->ctl1010->indexOfTopLevelItem(ui_->ctl1010->currentItem());
    return row >= 0 && static_cast<std::size_t>(row) < entries_.size()
               ? &entries_[static_cast<std::size_t>(row)]
               : nullptr;
}

} // namespace vandrel
