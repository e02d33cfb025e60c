#pragma once

#include "configview/ConfigPage.h"

#include <memory>

namespace Ui {
class TextPage;
}

namespace vandrel {

// A page with one text: the body text of a root or group entry of the tree, or nothing (the
// blank page).
class TextPage : public ConfigPage {
    Q_OBJECT
public:
    // Room for the body text.
    static constexpr int BodyChars = 259;

    TextPage(int pageId, int bodyText, const ConverterConfig& record,
             const LanguageManager& language, QWidget* parent);
    ~TextPage() override;

    void retranslate() override;

private:
    void showBody();

    std::unique_ptr<Ui::TextPage> ui_;
    int bodyText_;
};

} // namespace vandrel
