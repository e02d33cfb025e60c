#include "configview/Page12.h"

#include "configview/PageTable.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include "ui_Page12.h"

namespace vandrel {

namespace {

// The bits of p12Flags: radio pairs (the first radio sets the bit) and check boxes.
constexpr std::uint8_t Flag1011 = 0x01;
constexpr std::uint8_t Flag1013 = 0x02;
constexpr std::uint8_t Flag1016 = 0x10;
constexpr std::uint8_t Flag1010 = 0x20;

} // namespace

Page12::Page12(const ConverterConfig& record, const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page12, record, language, parent), ui_(std::make_unique<Ui::Page12>()) {
    ui_->setupUi(this);
    prepareForm();

    using namespace ConfigOffset;
    const FieldSwitch& codeSwitch = switchOf(ui_->ctl1025);
    const FieldSwitch& digitsSwitch = switchOf(ui_->ctl1028);
    bitControls_ = {
        {ui_->ctl1011, p12Flags, Flag1011},
        {ui_->ctl1013, p12Flags, Flag1013},
        {ui_->ctl1014, codeSwitch.offset, codeSwitch.mask},
        {ui_->ctl1055, digitsSwitch.offset, digitsSwitch.mask},
        {ui_->ctl1015, p12Checks, 0x01},
        {ui_->ctl1035, p12Checks, 0x02},
        {ui_->ctl1049, p12Checks, 0x04},
        {ui_->ctl1050, p12Checks, 0x08},
        {ui_->ctl1051, p12Checks, 0x10},
        {ui_->ctl1052, p12Checks, 0x20},
        {ui_->ctl1053, p12Checks, 0x40},
        {ui_->ctl1054, p12Checks, 0x80},
        {ui_->ctl1016, p12Flags, Flag1016},
        {ui_->ctl1010, p12Flags, Flag1010},
    };
    optionBoxes_ = {
        {ui_->ctl1041, number1OptionA},
        {ui_->ctl1039, number1OptionB},
        {ui_->ctl1042, number2OptionA},
        {ui_->ctl1040, number2OptionB},
    };
    translate();

    showEdits();
    for (const OptionBox& option : optionBoxes_) {
        option.box->setChecked(shownNumber(option.offset) == 1);
    }
    for (const BitControl& control : bitControls_) {
        control.button->setChecked(bit(control.offset, control.mask));
    }
    // The second radio of each pair stands for the cleared bit.
    ui_->ctl1012->setChecked(!ui_->ctl1011->isChecked());
    ui_->ctl1017->setChecked(!ui_->ctl1016->isChecked());
    // A stored index outside the list's range selects no entry.
    const ConfigField& listField = FieldAt(p12ListIndex);
    const std::uint32_t listIndex = FieldNumber(copy(), listField);
    fillList(InRange(listField, listIndex) ? static_cast<int>(listIndex) : -1);
    followSwitches();

    connect(ui_->ctl1014, &QAbstractButton::toggled, this, &Page12::followSwitches);
    connect(ui_->ctl1055, &QAbstractButton::toggled, this, &Page12::followSwitches);
}

Page12::~Page12() = default;

void Page12::fillList(int selectedIndex) {
    QComboBox* list = ui_->ctl1001;
    const QSignalBlocker quiet(list);
    list->clear();
    // Entries whose text the language lacks are left out; the others keep their index.
    for (int id = text::P12ListFirst; id <= text::P12ListLast; ++id) {
        const QString entry = language().Text(id, LanguageManager::ControlTextChars);
        if (!entry.isEmpty()) {
            list->addItem(entry, id - text::P12ListFirst);
        }
    }
    list->setCurrentIndex(list->findData(selectedIndex));
}

void Page12::retranslate() {
    ConfigPage::retranslate();
    const QVariant selected = ui_->ctl1001->currentData();
    fillList(selected.isValid() ? selected.toInt() : -1);
}

void Page12::followSwitches() {
    const bool code = ui_->ctl1014->isChecked();
    ui_->ctl1002->setEnabled(code);
    ui_->ctl1025->setEnabled(code);
    const bool digits = ui_->ctl1055->isChecked();
    ui_->ctl1004->setEnabled(digits);
    ui_->ctl1028->setEnabled(digits);
}

bool Page12::collect() {
    for (const OptionBox& option : optionBoxes_) {
        storeNumber(option.offset, option.box->isChecked() ? 1 : 0);
    }
    for (const BitControl& control : bitControls_) {
        setBit(control.offset, control.mask, control.button->isChecked());
    }
    // No entry selected: the field's fallback.
    const ConfigField& listField = FieldAt(ConfigOffset::p12ListIndex);
    const QVariant selected = ui_->ctl1001->currentData();
    storeNumber(listField.offset,
                selected.isValid() ? selected.toUInt() : listField.rules.fallback);
    return collectEdits();
}

} // namespace vandrel
