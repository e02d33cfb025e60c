#include "configview/Page22.h"

#include "configview/PageTable.h"

#include "ui_Page22.h"

#include <utility>

namespace vandrel {

namespace {

using namespace ConfigOffset;

// Edits in the order they are collected, with their fields.
template <typename Ui> auto codeEdits(const Ui& ui) {
    return std::to_array<std::pair<FilterEdit*, std::size_t>>({
        {ui.ctl1000, p22Code1},
        {ui.ctl1007, p22Code2},
        {ui.ctl1022, p22Code3},
        {ui.ctl1024, p22Code4},
        {ui.ctl1025, p22Code5},
        {ui.ctl1026, p22Code6},
        {ui.ctl1027, p22Code7},
    });
}

} // namespace

Page22::Page22(const ConverterConfig& record, const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page22, record, language, parent), ui_(std::make_unique<Ui::Page22>()) {
    ui_->setupUi(this);
    prepareForm();
    translate();

    for (const auto& [edit, offset] : codeEdits(*ui_)) {
        edit->setText(codeText(offset));
    }
    const bool main = bit(enableBits, EnableBit::p22Codes12);
    ui_->ctl1010->setChecked(main);
    ui_->ctl1013->setChecked(main && bit(enableBits, EnableBit::p22Codes37));
    followSwitches();

    connect(ui_->ctl1010, &QAbstractButton::clicked, this, &Page22::mainSwitchClicked);
    connect(ui_->ctl1013, &QAbstractButton::clicked, this, &Page22::followSwitches);
}

Page22::~Page22() = default;

void Page22::mainSwitchClicked() {
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
    for (const auto& [edit, offset] : codeEdits(*ui_)) {
        takeCodeText(offset, edit);
    }
    const bool main = ui_->ctl1010->isChecked();
    setBit(enableBits, EnableBit::p22Codes12, main);
    if (main && (ui_->ctl1000->text().isEmpty() || ui_->ctl1007->text().isEmpty())) {
        return false;
    }
    const bool more = ui_->ctl1013->isChecked();
    setBit(enableBits, EnableBit::p22Codes37, more);
    return !(more && ui_->ctl1022->text().isEmpty());
}

} // namespace vandrel
