#include "configview/Page22.h"

#include "configview/PageTable.h"

#include "ui_Page22.h"

namespace vandrel {

Page22::Page22(const ConverterConfig& record, const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page22, record, language, parent), ui_(std::make_unique<Ui::Page22>()) {
    ui_->setupUi(this);
    prepareForm();
    translate();

    showEdits();
    // The first two codes are under the main switch; the third (and the optional ones after it)
    // under both switches.
    ui_->ctl1010->setChecked(switchOn(ui_->ctl1000));
    ui_->ctl1013->setChecked(switchOn(ui_->ctl1022));
    followSwitches();

    connect(ui_->ctl1010, &QAbstractButton::toggled, this, &Page22::mainSwitchToggled);
    connect(ui_->ctl1013, &QAbstractButton::toggled, this, &Page22::followSwitches);
}

Page22::~Page22() = default;

void Page22::mainSwitchToggled() {
    if (!ui_->ctl1010->isChecked()) {
        ui_->ctl1013->setChecked(false);
    }
    followSwitches();
}

void Page22::followSwitches() {
    const bool main = ui_->ctl1010->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ui_->ctl1000), static_cast<QWidget*>(ui_->ctl1003),
                       static_cast<QWidget*>(ui_->ctl1007), static_cast<QWidget*>(ui_->ctl1002),
                       static_cast<QWidget*>(ui_->ctl1013)}) {
        w->setEnabled(main);
    }
    const bool more = main && ui_->ctl1013->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ui_->ctl1022), static_cast<QWidget*>(ui_->ctl1033),
                       static_cast<QWidget*>(ui_->ctl1034), static_cast<QWidget*>(ui_->ctl1024),
                       static_cast<QWidget*>(ui_->ctl1043), static_cast<QWidget*>(ui_->ctl1025),
                       static_cast<QWidget*>(ui_->ctl1044), static_cast<QWidget*>(ui_->ctl1026),
                       static_cast<QWidget*>(ui_->ctl1045), static_cast<QWidget*>(ui_->ctl1027),
                       static_cast<QWidget*>(ui_->ctl1046)}) {
        w->setEnabled(more);
    }
}

bool Page22::collect() {
    const FieldSwitch& main = switchOf(ui_->ctl1000);
    setSwitch(main, ui_->ctl1010->isChecked());
    // The second switch owns the bit the third code's switch adds to the main one; unchecking
    // the main switch unchecks it, so it is never stored without the main bit.
    const FieldSwitch& both = switchOf(ui_->ctl1022);
    setBit(both.offset, static_cast<std::uint8_t>(both.mask & ~main.mask),
           ui_->ctl1013->isChecked());
    return collectEdits();
}

} // namespace vandrel
