#pragma once

#include "configview/ConfigPage.h"

#include <memory>
#include <vector>

class QAbstractButton;

namespace Ui {
class Page12;
}

namespace vandrel {

// Numbers and calls: the two numbers with their options, the call flags and check boxes, four
// ranged values, a code and a digit field that switches make mandatory, the scaled value shown
// five times as large, and a list of up to nine profiles.
class Page12 : public ConfigPage {
    Q_OBJECT
public:
    Page12(const ConverterConfig& record, const LanguageManager& language, QWidget* parent);
    ~Page12() override;

    bool collect() override;
    void retranslate() override;

private:
    // A check box or radio that owns one bit of a byte.
    struct BitControl {
        QAbstractButton* button;
        std::size_t offset;
        std::uint8_t mask;
    };
    // A check box for a field of two values: checked stands for 1.
    struct OptionBox {
        QAbstractButton* box;
        std::size_t offset;
    };

    void fillList(int selectedIndex);
    void followSwitches();

    std::unique_ptr<Ui::Page12> ui_;
    std::vector<BitControl> bitControls_;
    std::vector<OptionBox> optionBoxes_;
};

} // namespace vandrel
