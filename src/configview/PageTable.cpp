#include "configview/PageTable.h"

#include "config/ConverterConfig.h"
#include "language/TextIds.h"

namespace vandrel {

namespace {

constexpr RecordBlock kPage11Blocks[] = {{ConfigOffset::p11Select, 8}};
constexpr RecordBlock kPage12Blocks[] = {
    {ConfigOffset::number1, 52}, {ConfigOffset::p12Value1, 10}, {ConfigOffset::p21Code1On, 464}};
constexpr RecordBlock kCodePageBlocks[] = {{ConfigOffset::p21Code1On, 464}};

static_assert(ConfigOffset::number1 + 52 == ConfigOffset::p21Code1On);
static_assert(ConfigOffset::p21Code1On + 464 == ConfigOffset::password);
static_assert(ConfigOffset::p11Select + 8 == ConfigOffset::number1);

} // namespace

const PageRow* FindPageRow(int pageId) {
    for (const PageRow& row : kPageTable) {
        if (row.pageId == pageId) {
            return &row;
        }
    }
    return nullptr;
}

std::span<const RecordBlock> PageBlocks(int pageId) {
    switch (pageId) {
    case PageId::Page11:
        return kPage11Blocks;
    case PageId::Page12:
        return kPage12Blocks;
    case PageId::Page21:
    case PageId::Page22:
    case PageId::Page23:
    case PageId::Page24:
        return kCodePageBlocks;
    default:
        return {};
    }
}

bool IsEditingPage(int pageId) {
    return !PageBlocks(pageId).empty();
}

int RefusalText(int pageId) {
    switch (pageId) {
    case PageId::Page12:
        return text::P12Refusal;
    case PageId::Page21:
        return text::P21Refusal;
    case PageId::Page22:
        return text::P22Refusal;
    case PageId::Page23:
    case PageId::Page24:
        return text::P23P24Refusal;
    default:
        return 0;
    }
}

QSize TemplateSize(int pageId) {
    switch (pageId) {
    case PageId::Page11:
        return {256, 235};
    case PageId::Page12:
        return {256, 459};
    case PageId::Page21:
        return {268, 223};
    case PageId::Page22:
        return {268, 238};
    case PageId::Page23:
        return {266, 83};
    case PageId::Page24:
        return {268, 83};
    case PageId::Page41:
        return {256, 70};
    default:
        return {104, 49};
    }
}

} // namespace vandrel
