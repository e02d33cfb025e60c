#include "configview/Page11.h"

#include "configview/PageTable.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include "ui_Page11.h"

#include <algorithm>

namespace vandrel {

namespace {
constexpr std::uint8_t SelectBit = 0x01;
constexpr std::uint8_t OptionsBit = 0x01;
constexpr std::uint8_t Options2Bit = 0x02;
} // namespace

Page11::Page11(const ConverterConfig& record, const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page11, record, language, parent), ui_(std::make_unique<Ui::Page11>()) {
    ui_->setupUi(this);
    prepareForm();
    translate();

    fillList();
    const bool second = bit(ConfigOffset::p11Select, SelectBit);
    ui_->ctl1001->setCurrentIndex(second ? 1 : 0);
    if (!second) {
        byte(ConfigOffset::p11Number) = 0;
    }
    ui_->ctl1003->setEnabled(second);
    ui_->ctl1000->setEnabled(second);
    lastAccepted_ = byte(ConfigOffset::p11Number);
    SetEditNumber(ui_->ctl1000, byte(ConfigOffset::p11Number));
    SetEditNumber(ui_->ctl1007, byte(ConfigOffset::p11Count));
    (bit(ConfigOffset::p11Options, OptionsBit) ? ui_->ctl1012 : ui_->ctl1011)->setChecked(true);
    (bit(ConfigOffset::p11Options, Options2Bit) ? ui_->ctl1057 : ui_->ctl1056)->setChecked(true);
    switch (byte(ConfigOffset::p11Choice)) {
    case 2:
        ui_->ctl1017->setChecked(true);
        break;
    case 3:
        ui_->ctl1023->setChecked(true);
        break;
    default:
        ui_->ctl1016->setChecked(true);
        break;
    }

    connect(ui_->ctl1001, &QComboBox::currentIndexChanged, this, &Page11::listChanged);
    connect(ui_->ctl1000, &QLineEdit::textChanged, this, &Page11::numberChanged);
    connect(ui_->ctl1000, &FilterEdit::focusLeft, this, [this] {
        if (ui_->ctl1000->text().isEmpty()) {
            ui_->ctl1000->setText(QStringLiteral("0"));
        }
    });
    connect(ui_->ctl1007, &FilterEdit::focusLeft, this,
            [this] { ClampEdit(ui_->ctl1007, MinCount, MaxCount); });
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
        ui_->ctl1000->setText(QStringLiteral("0"));
    }
}

void Page11::numberChanged() {
    const unsigned number = EditNumber(ui_->ctl1000);
    if (number != lastAccepted_ && number > MaxNumber) {
        SetEditNumber(ui_->ctl1000, lastAccepted_);
    } else {
        lastAccepted_ = number;
    }
}

bool Page11::collect() {
    const bool second = ui_->ctl1001->currentIndex() == 1;
    setBit(ConfigOffset::p11Select, SelectBit, second);
    byte(ConfigOffset::p11Number) =
        second ? static_cast<std::uint8_t>(std::min(EditNumber(ui_->ctl1000), MaxNumber)) : 0;
    setBit(ConfigOffset::p11Options, OptionsBit, ui_->ctl1012->isChecked());
    setBit(ConfigOffset::p11Options, Options2Bit, ui_->ctl1057->isChecked());
    if (ui_->ctl1016->isChecked()) {
        byte(ConfigOffset::p11Choice) = 1;
    } else if (ui_->ctl1017->isChecked()) {
        byte(ConfigOffset::p11Choice) = 2;
    } else if (ui_->ctl1023->isChecked()) {
        byte(ConfigOffset::p11Choice) = 3;
    }
    byte(ConfigOffset::p11Count) =
        static_cast<std::uint8_t>(std::clamp(EditNumber(ui_->ctl1007), MinCount, MaxCount));
    return true;
}

} // namespace vandrel
