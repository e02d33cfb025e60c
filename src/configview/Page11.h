#pragma once

#include "configview/ConfigPage.h"

#include <memory>

namespace Ui {
class Page11;
}

namespace vandrel {

// The analog line: a two-entry mode list with a number that only the second entry uses, two
// radio pairs, a choice of three and a count.
class Page11 : public ConfigPage {
    Q_OBJECT
public:
    Page11(const ConverterConfig& record, const LanguageManager& language, QWidget* parent);
    ~Page11() override;

    bool collect() override;
    void retranslate() override;

private:
    void fillList();
    void listChanged(int index);

    std::unique_ptr<Ui::Page11> ui_;
};

} // namespace vandrel
