#pragma once

#include "config/DeviceInfo.h"
#include "configview/ConfigPage.h"

#include <memory>

namespace Ui {
class Page41;
}

namespace vandrel {

// What the converter reported about itself: firmware and loader versions and the FLASH
// partition it runs from. Nothing to edit.
class Page41 : public ConfigPage {
    Q_OBJECT
public:
    Page41(const ConverterConfig& record, const DeviceInfo& info, const LanguageManager& language,
           QWidget* parent);
    ~Page41() override;

    void retranslate() override;

private:
    void showValues();

    std::unique_ptr<Ui::Page41> ui_;
    DeviceInfo info_;
};

} // namespace vandrel
