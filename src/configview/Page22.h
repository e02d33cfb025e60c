#pragma once

#include "configview/ConfigPage.h"

#include <memory>

namespace Ui {
class Page22;
}

namespace vandrel {

// Line services: a main switch for two mandatory codes and a second switch, usable only under
// the first, for one mandatory and four optional codes.
class Page22 : public ConfigPage {
    Q_OBJECT
public:
    Page22(const ConverterConfig& record, const LanguageManager& language, QWidget* parent);
    ~Page22() override;

    bool collect() override;

private:
    void mainSwitchToggled();
    void followSwitches();

    std::unique_ptr<Ui::Page22> ui_;
};

} // namespace vandrel
