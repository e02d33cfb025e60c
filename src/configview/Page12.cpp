#include "configview/Page12.h"

#include "configview/PageTable.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include "ui_Page12.h"

#include <algorithm>

namespace vandrel {

namespace {

constexpr std::uint8_t Flag1011 = 0x01;
constexpr std::uint8_t Flag1013 = 0x02;
constexpr std::uint8_t Flag1016 = 0x10;
constexpr std::uint8_t Flag1010 = 0x20;
constexpr std::uint8_t DigitsSwitch = 0x01; // enableBits2

// Number fields share the layout of a code field: 20 characters, then their count.
constexpr std::size_t NumberLength = 20;

} // namespace

Page12::Page12(const ConverterConfig& record, const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page12, record, language, parent), ui_(std::make_unique<Ui::Page12>()) {
    ui_->setupUi(this);
    prepareForm();

    using namespace ConfigOffset;
    bitControls_ = {
        {ui_->ctl1011, p12Flags, Flag1011},
        {ui_->ctl1013, p12Flags, Flag1013},
        {ui_->ctl1014, enableBits, EnableBit::p12Code},
        {ui_->ctl1055, enableBits2, DigitsSwitch},
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
    rangedEdits_ = {
        {ui_->ctl1024, p12Value1, 1, 30},
        {ui_->ctl1029, p12Value4, 1, 6},
        {ui_->ctl1026, p12Value2, 1, 30},
        {ui_->ctl1027, p12Value3, 2, 20},
    };
    translate();

    ui_->ctl1000->setText(codeText(number1));
    ui_->ctl1007->setText(codeText(number2));
    ui_->ctl1041->setChecked(byte(number1OptionA) != 0);
    ui_->ctl1039->setChecked(byte(number1OptionB) != 0);
    ui_->ctl1042->setChecked(byte(number2OptionA) != 0);
    ui_->ctl1040->setChecked(byte(number2OptionB) != 0);
    for (const BitControl& control : bitControls_) {
        control.button->setChecked(bit(control.offset, control.mask));
    }
    // The second radio of each pair stands for the cleared bit.
    ui_->ctl1012->setChecked(!ui_->ctl1011->isChecked());
    ui_->ctl1017->setChecked(!ui_->ctl1016->isChecked());
    for (const RangedEdit& ranged : rangedEdits_) {
        SetEditNumber(ranged.edit, byte(ranged.offset));
    }
    ui_->ctl1025->setText(codeText(p12Code));
    ui_->ctl1028->setText(codeText(p12Digits));
    if (byte(p12Scaled) < MinScaled) {
        byte(p12Scaled) = MinScaled;
    }
    SetEditNumber(ui_->ctl1022, byte(p12Scaled) * ScaleStep);
    fillList(byte(p12ListIndex));
    followSwitches();

    connect(ui_->ctl1014, &QAbstractButton::clicked, this, &Page12::followSwitches);
    connect(ui_->ctl1055, &QAbstractButton::clicked, this, &Page12::followSwitches);
    for (const RangedEdit& ranged : rangedEdits_) {
        connect(ranged.edit, &FilterEdit::focusLeft, this,
                [ranged] { ClampEdit(ranged.edit, ranged.low, ranged.high); });
    }
    connect(ui_->ctl1022, &FilterEdit::focusLeft, this, &Page12::correctScaled);
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

void Page12::correctScaled() {
    const unsigned shown = EditNumber(ui_->ctl1022) / ScaleStep * ScaleStep;
    SetEditNumber(ui_->ctl1022, std::clamp(shown, MinScaled * ScaleStep, MaxScaled * ScaleStep));
}

bool Page12::collect() {
    using namespace ConfigOffset;
    auto takeNumber = [this](std::size_t offset, const QLineEdit* edit) {
        if (edit->text().isEmpty()) {
            for (std::size_t i = 0; i <= NumberLength; ++i) {
                byte(offset + i) = 0;
            }
        } else {
            takeCodeText(offset, edit);
        }
    };
    takeNumber(number1, ui_->ctl1000);
    byte(number1OptionA) = ui_->ctl1041->isChecked() ? 1 : 0;
    byte(number1OptionB) = ui_->ctl1039->isChecked() ? 1 : 0;
    takeNumber(number2, ui_->ctl1007);
    byte(number2OptionA) = ui_->ctl1042->isChecked() ? 1 : 0;
    byte(number2OptionB) = ui_->ctl1040->isChecked() ? 1 : 0;
    for (const BitControl& control : bitControls_) {
        setBit(control.offset, control.mask, control.button->isChecked());
    }
    for (const RangedEdit& ranged : rangedEdits_) {
        byte(ranged.offset) =
            static_cast<std::uint8_t>(std::clamp(EditNumber(ranged.edit), ranged.low, ranged.high));
    }
    takeCodeText(p12Code, ui_->ctl1025);
    if (bit(enableBits, EnableBit::p12Code) && ui_->ctl1025->text().isEmpty()) {
        return false;
    }
    takeCodeText(p12Digits, ui_->ctl1028);
    if (bit(enableBits2, DigitsSwitch) && ui_->ctl1028->text().isEmpty()) {
        return false;
    }
    byte(p12Scaled) = static_cast<std::uint8_t>(
        std::clamp(EditNumber(ui_->ctl1022) / ScaleStep, MinScaled, MaxScaled));
    const QVariant selected = ui_->ctl1001->currentData();
    byte(p12ListIndex) =
        static_cast<std::uint8_t>(selected.isValid() ? selected.toInt() : DefaultListIndex);
    return true;
}

} // namespace vandrel
