#pragma once

#include "configview/ConfigPage.h"

#include <array>
#include <memory>

class QAbstractButton;
class QLabel;

namespace Ui {
class Page21;
}

namespace vandrel {

class FilterEdit;

// Call forwarding: three switches, each making a pair of codes (on and off) editable and
// mandatory.
class Page21 : public ConfigPage {
    Q_OBJECT
public:
    Page21(const ConverterConfig& record, const LanguageManager& language, QWidget* parent);
    ~Page21() override;

    bool collect() override;

private:
    struct Code {
        FilterEdit* edit;
        QLabel* label;
    };
    // A switch and the two codes it enables; the codes' fields name the switch's bit.
    struct Pair {
        QAbstractButton* toggle;
        Code on;
        Code off;
    };

    void followSwitches();

    std::unique_ptr<Ui::Page21> ui_;
    std::array<Pair, 3> pairs_;
};

} // namespace vandrel
