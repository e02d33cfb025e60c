#include "shell/ui/PortDialog.h"

#include "ui_PortDialog.h"

#include "link/DevicePath.h"
#include "link/PortList.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTreeView>

namespace vandrel {

PortDialog::PortDialog(const QString& currentName, const LanguageManager& languages,
                       QWidget* parent, const PortLister& lister)
    : ShellDialog(languages, parent), ui_(std::make_unique<Ui::PortDialogForm>()),
      model_(new QStandardItemModel(0, 2, this)) {
    ui_->setupUi(this);
    translateTexts();

    // The list opens as two columns, the name and the device's description; the edit field
    // shows the name alone.
    auto* view = new QTreeView;
    view->setHeaderHidden(true);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    view->header()->setStretchLastSection(true);
    ui_->ctl1001->setModel(model_);
    ui_->ctl1001->setView(view);
    ui_->ctl1001->setModelColumn(0);
    ui_->ctl1001->lineEdit()->setMaxLength(kMaxPortNameLength);

    fill(lister ? lister() : std::vector<PortEntry>{}, currentName);
    connect(ui_->ctl1, &QPushButton::clicked, this, &PortDialog::confirm);
    connect(ui_->ctl2, &QPushButton::clicked, this, &QDialog::reject);
}

PortDialog::~PortDialog() = default;

void PortDialog::fill(const std::vector<PortEntry>& ports, const QString& currentName) {
    QStringList names;
    for (const PortEntry& port : ports) {
        auto* name = new QStandardItem(port.name);
        auto* description = new QStandardItem(port.description);
        name->setToolTip(port.description);
        description->setToolTip(port.description);
        model_->appendRow({name, description});
        names.append(port.name);
    }
    auto* view = static_cast<QTreeView*>(ui_->ctl1001->view());
    view->resizeColumnToContents(0);
    view->resizeColumnToContents(1);
    view->setMinimumWidth(view->columnWidth(0) + view->columnWidth(1) + 2 * view->frameWidth() +
                          view->style()->pixelMetric(QStyle::PM_ScrollBarExtent));

    const PortListView shown = portListView(names, currentName);
    ui_->ctl1001->setCurrentIndex(shown.selected);
    ui_->ctl1001->setEditText(shown.editText);
}

void PortDialog::confirm() {
    const std::optional<QString> name = acceptPortName(ui_->ctl1001->currentText());
    if (!name) {
        return;
    }
    chosen_ = *name;
    accept();
}

} // namespace vandrel
