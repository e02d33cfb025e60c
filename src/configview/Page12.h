#pragma once

#include "configview/ConfigPage.h"

#include <memory>
#include <vector>

class QAbstractButton;

namespace Ui {
class Page12;
}

namespace vandrel {

class FilterEdit;

// Numbers and calls: the two numbers with their options, the call flags and check boxes, four
// ranged values, a code and a digit field that switches make mandatory, the scaled value shown
// five times as large, and a list of up to nine profiles.
class Page12 : public ConfigPage {
    Q_OBJECT
public:
    // Edit 1022 shows the stored value times this step.
    static constexpr unsigned ScaleStep = 5;
    static constexpr unsigned MinScaled = 8;
    static constexpr unsigned MaxScaled = 255;
    // List index stored when no entry is selected.
    static constexpr int DefaultListIndex = 5;

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
    // An edit with a range, corrected when it loses the focus and when collected.
    struct RangedEdit {
        FilterEdit* edit;
        std::size_t offset;
        unsigned low;
        unsigned high;
    };

    void fillList(int selectedIndex);
    void followSwitches();
    void correctScaled();

    std::unique_ptr<Ui::Page12> ui_;
    std::vector<BitControl> bitControls_;
    std::vector<RangedEdit> rangedEdits_;
};

} // namespace vandrel
