#pragma once

#include "configview/ConfigPage.h"

class QAbstractButton;
class QLabel;

namespace vandrel {

class FilterEdit;

// A switch and the one code it makes editable and mandatory: callback (page 23) and number
// display (page 24) differ only in texts, character set, switch bit and field.
class SingleCodePage : public ConfigPage {
    Q_OBJECT
public:
    // Page 23 or 24.
    SingleCodePage(int pageId, const ConverterConfig& record, const LanguageManager& language,
                   QWidget* parent);

    bool collect() override;

private:
    void followSwitch();

    QAbstractButton* toggle_ = nullptr;
    FilterEdit* edit_ = nullptr;
    QLabel* label_ = nullptr;
};

} // namespace vandrel
