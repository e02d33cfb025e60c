#include "configview/Page11.h"

#include "configview/PageTable.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include "ui_Page11.h"

#include <array>
#include <utility>

namespace vandrel {

namespace {

// The radio pairs of p11Options: the second radio of each sets the bit.
constexpr std::uint8_t OptionsBit = 0x01;
constexpr std::uint8_t Options2Bit = 0x02;

// The radios of p11Choice and the values they stand for.
template <typename Ui> auto choiceRadios(const Ui& ui) {
    return std::to_array<std::pair<QAbstractButton*, std::uint32_t>>({
        {ui.ctl1016, 1},
        {ui.ctl1017, 2},
        {ui.ctl1023, 3},
    });
}

} // namespace

Page11::Page11(const ConverterConfig& record, const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page11, record, language, parent), ui_(std::make_unique<Ui::Page11>()) {
    ui_->setupUi(this);
    prepareForm();
    translate();

    fillList();
    // The list's second entry is the number's switch.
    const bool second = switchOn(ui_->ctl1000);
    ui_->ctl1001->setCurrentIndex(second ? 1 : 0);
    ui_->ctl1003->setEnabled(second);
    ui_->ctl1000->setEnabled(second);
    showEdits();
    (bit(ConfigOffset::p11Options, OptionsBit) ? ui_->ctl1012 : ui_->ctl1011)->setChecked(true);
    (bit(ConfigOffset::p11Options, Options2Bit) ? ui_->ctl1057 : ui_->ctl1056)->setChecked(true);
    const std::uint32_t choice = shownNumber(ConfigOffset::p11Choice);
    for (const auto& [radio, value] : choiceRadios(*ui_)) {
        if (value == choice) {
            radio->setChecked(true);
        }
    }

    connect(ui_->ctl1001, &QComboBox::currentIndexChanged, this, &Page11::listChanged);
}

Page11::~Page11() = default;

void Page11::fillList() {
    QComboBox* list = ui_->ctl1001;
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItem(language().Text(text::P11SelectFirst, LanguageManager::ControlTextChars));
    list->addItem(language().Text(text::P11SelectSecond, LanguageManager::ControlTextChars));
}

void Page11::retranslate() {
    ConfigPage::retranslate();
    const int position = ui_->ctl1001->currentIndex();
    fillList();
    const QSignalBlocker quiet(ui_->ctl1001);
    ui_->ctl1001->setCurrentIndex(position);
}

void Page11::listChanged(int index) {
    const bool second = index == 1;
    ui_->ctl1003->setEnabled(second);
    ui_->ctl1000->setEnabled(second);
    if (!second) {
        // The number is 0 while its switch is off.
        SetEditNumber(ui_->ctl1000, 0);
    }
}

bool Page11::collect() {
    setSwitch(switchOf(ui_->ctl1000), ui_->ctl1001->currentIndex() == 1);
    setBit(ConfigOffset::p11Options, OptionsBit, ui_->ctl1012->isChecked());
    setBit(ConfigOffset::p11Options, Options2Bit, ui_->ctl1057->isChecked());
    for (const auto& [radio, value] : choiceRadios(*ui_)) {
        if (radio->isChecked()) {
            storeNumber(ConfigOffset::p11Choice, value);
        }
    }
    return collectEdits();
}

} // namespace vandrel
