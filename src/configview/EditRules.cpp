#include "configview/EditRules.h"

#include "configview/PageTable.h"

#include <iterator>

namespace vandrel {

namespace {

// clang-format off
constexpr EditRule kEditRules[] = {
    {PageId::Page11, "ctl1000", "p11Number"},
    {PageId::Page11, "ctl1007", "p11Count"},

    {PageId::Page12, "ctl1000", "number1"},
    {PageId::Page12, "ctl1007", "number2"},
    {PageId::Page12, "ctl1024", "p12Value1"},
    {PageId::Page12, "ctl1025", "p12Code"},
    {PageId::Page12, "ctl1028", "p12Digits"},
    {PageId::Page12, "ctl1029", "p12Value4"},
    {PageId::Page12, "ctl1026", "p12Value2"},
    {PageId::Page12, "ctl1027", "p12Value3"},
    {PageId::Page12, "ctl1022", "p12Scaled"},

    {PageId::Page21, "ctl1000", "p21Code1On"},
    {PageId::Page21, "ctl1007", "p21Code1Off"},
    {PageId::Page21, "ctl1022", "p21Code2On"},
    {PageId::Page21, "ctl1024", "p21Code2Off"},
    {PageId::Page21, "ctl1025", "p21Code3On"},
    {PageId::Page21, "ctl1026", "p21Code3Off"},

    {PageId::Page22, "ctl1000", "p22Code1"},
    {PageId::Page22, "ctl1007", "p22Code2"},
    {PageId::Page22, "ctl1022", "p22Code3"},
    {PageId::Page22, "ctl1024", "p22Code4"},
    {PageId::Page22, "ctl1025", "p22Code5"},
    {PageId::Page22, "ctl1026", "p22Code6"},
    {PageId::Page22, "ctl1027", "p22Code7"},

    {PageId::Page23, "ctl1000", "p23Code"},

    {PageId::Page24, "ctl1000", "p24Code"},
};
// clang-format on

// Each field that pages edit with characters has exactly one edit, and no edit shows two fields.
constexpr bool EditRulesMatchTheFieldTable() {
    // Indexes, not references: the sanitizers' checks are no constant expressions.
    std::size_t withCharacters = 0;
    for (std::size_t f = 0; f < kConfigFields.size(); ++f) {
        if (kConfigFields[f].rules.editing == Editing::Page &&
            !kConfigFields[f].rules.characters.empty()) {
            ++withCharacters;
        }
    }
    if (withCharacters != std::size(kEditRules)) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(kEditRules); ++i) {
        const std::size_t f = ConfigFieldIndex(kEditRules[i].field);
        if (f == kConfigFields.size() || kConfigFields[f].rules.editing != Editing::Page ||
            kConfigFields[f].rules.characters.empty()) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (kEditRules[j].field == kEditRules[i].field ||
                (kEditRules[j].pageId == kEditRules[i].pageId &&
                 std::string_view(kEditRules[j].control) == kEditRules[i].control)) {
                return false;
            }
        }
    }
    return true;
}
static_assert(EditRulesMatchTheFieldTable());

} // namespace

std::span<const EditRule> EditRules() {
    return kEditRules;
}

const ConfigField& EditField(const EditRule& rule) {
    // Every row names a field of the table: checked above when the program is built.
    return *FindConfigField(rule.field);
}

} // namespace vandrel
