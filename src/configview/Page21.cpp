#include "configview/Page21.h"

#include "configview/PageTable.h"

#include "ui_Page21.h"

namespace vandrel {

Page21::Page21(const ConverterConfig& record, const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page21, record, language, parent), ui_(std::make_unique<Ui::Page21>()) {
    ui_->setupUi(this);
    prepareForm();
    pairs_ = {{
        {ui_->ctl1010, {ui_->ctl1000, ui_->ctl1003}, {ui_->ctl1007, ui_->ctl1002}},
        {ui_->ctl1013, {ui_->ctl1022, ui_->ctl1033}, {ui_->ctl1024, ui_->ctl1034}},
        {ui_->ctl1014, {ui_->ctl1025, ui_->ctl1043}, {ui_->ctl1026, ui_->ctl1044}},
    }};
    translate();

    showEdits();
    for (const Pair& pair : pairs_) {
        pair.toggle->setChecked(switchOn(pair.on.edit));
        connect(pair.toggle, &QAbstractButton::toggled, this, &Page21::followSwitches);
    }
    followSwitches();
}

Page21::~Page21() = default;

void Page21::followSwitches() {
    for (const Pair& pair : pairs_) {
        for (const Code& code : {pair.on, pair.off}) {
            code.edit->setEnabled(pair.toggle->isChecked());
            code.label->setEnabled(pair.toggle->isChecked());
        }
    }
}

bool Page21::collect() {
    for (const Pair& pair : pairs_) {
        setSwitch(switchOf(pair.on.edit), pair.toggle->isChecked());
    }
    return collectEdits();
}

} // namespace vandrel
