#include "configview/PageFactory.h"

#include "configview/Page11.h"
#include "configview/Page12.h"
#include "configview/Page21.h"
#include "configview/Page22.h"
#include "configview/Page41.h"
#include "configview/PageTable.h"
#include "configview/SingleCodePage.h"
#include "configview/TextPage.h"

namespace vandrel {

std::unique_ptr<ConfigPage> CreatePage(int pageId, const ConverterConfig& record,
                                       const DeviceInfo& info, const LanguageManager& language,
                                       QWidget* parent) {
    switch (pageId) {
    case PageId::Blank:
        return std::make_unique<TextPage>(pageId, NoText, record, language, parent);
    case PageId::Page11:
        return std::make_unique<Page11>(record, language, parent);
    case PageId::Page12:
        return std::make_unique<Page12>(record, language, parent);
    case PageId::Page21:
        return std::make_unique<Page21>(record, language, parent);
    case PageId::Page22:
        return std::make_unique<Page22>(record, language, parent);
    case PageId::Page23:
    case PageId::Page24:
        return std::make_unique<SingleCodePage>(pageId, record, language, parent);
    case PageId::Page41:
        return std::make_unique<Page41>(record, info, language, parent);
    default:
        break;
    }
    if (const PageRow* row = FindPageRow(pageId); row != nullptr && row->bodyText != NoText) {
        return std::make_unique<TextPage>(pageId, row->bodyText, record, language, parent);
    }
    return nullptr;
}

} // namespace vandrel
