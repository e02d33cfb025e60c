#include "configview/SingleCodePage.h"

#include "configview/FilterEdit.h"
#include "configview/PageTable.h"

#include "ui_Page23.h"
#include "ui_Page24.h"

#include <QCheckBox>
#include <QLabel>

namespace vandrel {

SingleCodePage::SingleCodePage(int pageId, const ConverterConfig& record,
                               const LanguageManager& language, QWidget* parent)
    : ConfigPage(pageId, record, language, parent) {
    const bool callback = pageId == PageId::Page23;
    // The forms differ only in their texts; their controls carry the same names.
    if (callback) {
        Ui::Page23().setupUi(this);
    } else {
        Ui::Page24().setupUi(this);
    }
    bit_ = callback ? EnableBit::p23Code : EnableBit::p24Code;
    offset_ = callback ? ConfigOffset::p23Code : ConfigOffset::p24Code;
    toggle_ = findChild<QCheckBox*>(QStringLiteral("ctl1010"));
    edit_ = findChild<FilterEdit*>(QStringLiteral("ctl1000"));
    label_ = findChild<QLabel*>(QStringLiteral("ctl1003"));
    prepareForm();
    translate();

    edit_->setText(codeText(offset_));
    toggle_->setChecked(bit(ConfigOffset::enableBits, bit_));
    followSwitch();
    connect(toggle_, &QAbstractButton::clicked, this, &SingleCodePage::followSwitch);
}

void SingleCodePage::followSwitch() {
    edit_->setEnabled(toggle_->isChecked());
    label_->setEnabled(toggle_->isChecked());
}

bool SingleCodePage::collect() {
    const bool on = toggle_->isChecked();
    setBit(ConfigOffset::enableBits, bit_, on);
    takeCodeText(offset_, edit_);
    return !(on && edit_->text().isEmpty());
}

} // namespace vandrel
