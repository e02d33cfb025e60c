#include "configview/TextPage.h"

#include "language/LanguageManager.h"

#include "ui_TextPage.h"

namespace vandrel {

TextPage::TextPage(int pageId, int bodyText, const ConverterConfig& record,
                   const LanguageManager& language, QWidget* parent)
    : ConfigPage(pageId, record, language, parent), ui_(std::make_unique<Ui::TextPage>()),
      bodyText_(bodyText) {
    ui_->setupUi(this);
    translate();
    showBody();
}

TextPage::~TextPage() = default;

void TextPage::retranslate() {
    ConfigPage::retranslate();
    showBody();
}

void TextPage::showBody() {
    ui_->ctl1003->setText(bodyText_ == 0 ? QString() : language().Text(bodyText_, BodyChars));
}

} // namespace vandrel
