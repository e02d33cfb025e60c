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
    // The forms differ only in their texts; their controls carry the same names, and EditRules
    // gives each page's edit its field.
    if (pageId == PageId::Page23) {
        Ui::Page23().setupUi(this);
    } else {
        Ui::Page24().setupUi(this);
    }
    toggle_ = findChild<QCheckBox*>(QStringLiteral("ctl1010"));
    edit_ = findChild<FilterEdit*>(QStringLiteral("ctl1000"));
    label_ = findChild<QLabel*>(QStringLiteral("ctl1003"));
    prepareForm();
    translate();

    showEdits();
    toggle_->setChecked(switchOn(edit_));
    followSwitch();
    connect(toggle_, &QAbstractButton::toggled, this, &SingleCodePage::followSwitch);
}

void SingleCodePage::followSwitch() {
    edit_->setEnabled(toggle_->isChecked());
    label_->setEnabled(toggle_->isChecked());
}

bool SingleCodePage::collect() {
    setSwitch(switchOf(edit_), toggle_->isChecked());
    return collectEdits();
}

} // namespace vandrel
