#include "configview/Page41.h"

#include "configview/PageTable.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include "ui_Page41.h"

namespace vandrel {

Page41::Page41(const ConverterConfig& record, const DeviceInfo& info,
               const LanguageManager& language, QWidget* parent)
    : ConfigPage(PageId::Page41, record, language, parent), ui_(std::make_unique<Ui::Page41>()),
      info_(info) {
    ui_->setupUi(this);
    translate();
    showValues();
}

Page41::~Page41() = default;

void Page41::retranslate() {
    ConfigPage::retranslate();
    showValues();
}

void Page41::showValues() {
    const QString unknown = language().Text(text::ValueUnknown, LanguageManager::ControlTextChars);
    auto versionText = [&](const VersionText& version) {
        const std::string value = VersionTextString(version);
        return value.empty() ? unknown : FromRecordText(value);
    };
    ui_->ctl1003->setText(versionText(info_.firmwareVersion));
    ui_->ctl1002->setText(versionText(info_.loaderVersion));
    ui_->ctl1033->setText(info_.systemInfoNumber < kUnknownPartition
                              ? QString::number(info_.systemInfoNumber)
                              : unknown);
}

} // namespace vandrel
