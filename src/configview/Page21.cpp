#include "configview/Page21.h"

#include "configview/PageTable.h"

#include "ui_Page21.h"

namespace vandrel {

Page21::Page21(const ConverterConfig& record, const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page21, record, language, parent), ui_(std::make_unique<Ui::Page21>()) {
    ui_->setupUi(this);
    prepareForm();
    using namespace ConfigOffset;
    pairs_ = {{
        {ui_->ctl1010,
         EnableBit::p21Code1,
         {ui_->ctl1000, ui_->ctl1003, p21Code1On},
         {ui_->ctl1007, ui_->ctl1002, p21Code1Off}},
        {ui_->ctl1013,
         EnableBit::p21Code2,
         {ui_->ctl1022, ui_->ctl1033, p21Code2On},
         {ui_->ctl1024, ui_->ctl1034, p21Code2Off}},
        {ui_->ctl1014,
         EnableBit::p21Code3,
         {ui_->ctl1025, ui_->ctl1043, p21Code3On},
         {ui_->ctl1026, ui_->ctl1044, p21Code3Off}},
    }};
    translate();

    for (const Pair& pair : pairs_) {
        for (const Code& code : {pair.on, pair.off}) {
            code.edit->setText(codeText(code.offset));
        }
        pair.toggle->setChecked(bit(enableBits, pair.bit));
        connect(pair.toggle, &QAbstractButton::clicked, this, &Page21::followSwitches);
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
        const bool on = pair.toggle->isChecked();
        setBit(ConfigOffset::enableBits, pair.bit, on);
        takeCodeText(pair.on.offset, pair.on.edit);
        takeCodeText(pair.off.offset, pair.off.edit);
        if (on && (pair.on.edit->text().isEmpty() || pair.off.edit->text().isEmpty())) {
            return false;
        }
    }
    return true;
}

} // namespace vandrel
