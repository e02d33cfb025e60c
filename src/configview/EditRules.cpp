#include "configview/EditRules.h"

#include "config/CodeField.h"
#include "config/ConverterConfig.h"
#include "configview/FilterEdit.h"
#include "configview/PageTable.h"

#include <QWidget>
#include <QtGlobal>

namespace vandrel {

namespace {

using namespace ConfigOffset;

// Characters a stored value can be shown with.
constexpr int ByteDigits = 3;   // 0..255
constexpr int ScaledDigits = 4; // 0..1275, a byte shown five times as large
constexpr int TextChars = static_cast<int>(kCodeFieldChars);

// clang-format off
constexpr EditRule kEditRules[] = {
    {PageId::Page11, "ctl1000", p11Number, CharSet::Digits, 3, ByteDigits},
    {PageId::Page11, "ctl1007", p11Count, CharSet::Digits, 2, ByteDigits},

    {PageId::Page12, "ctl1000", number1, CharSet::Digits, TextChars, TextChars},
    {PageId::Page12, "ctl1007", number2, CharSet::Digits, TextChars, TextChars},
    {PageId::Page12, "ctl1024", p12Value1, CharSet::Digits, 2, ByteDigits},
    {PageId::Page12, "ctl1025", p12Code, CharSet::DialCodes, TextChars, TextChars},
    {PageId::Page12, "ctl1028", p12Digits, CharSet::Digits, TextChars, TextChars},
    {PageId::Page12, "ctl1029", p12Value4, CharSet::Digits, 1, ByteDigits},
    {PageId::Page12, "ctl1026", p12Value2, CharSet::Digits, 2, ByteDigits},
    {PageId::Page12, "ctl1027", p12Value3, CharSet::Digits, 2, ByteDigits},
    {PageId::Page12, "ctl1022", p12Scaled, CharSet::Digits, 4, ScaledDigits},

    {PageId::Page21, "ctl1000", p21Code1On, CharSet::DialCodesN, TextChars, TextChars},
    {PageId::Page21, "ctl1007", p21Code1Off, CharSet::DialCodesN, TextChars, TextChars},
    {PageId::Page21, "ctl1022", p21Code2On, CharSet::DialCodesN, TextChars, TextChars},
    {PageId::Page21, "ctl1024", p21Code2Off, CharSet::DialCodesN, TextChars, TextChars},
    {PageId::Page21, "ctl1025", p21Code3On, CharSet::DialCodesN, TextChars, TextChars},
    {PageId::Page21, "ctl1026", p21Code3Off, CharSet::DialCodesN, TextChars, TextChars},

    {PageId::Page22, "ctl1000", p22Code1, CharSet::DialCodesR, TextChars, TextChars},
    {PageId::Page22, "ctl1007", p22Code2, CharSet::DialCodesR, TextChars, TextChars},
    {PageId::Page22, "ctl1022", p22Code3, CharSet::DialCodesR, TextChars, TextChars},
    {PageId::Page22, "ctl1024", p22Code4, CharSet::DialCodesR, TextChars, TextChars},
    {PageId::Page22, "ctl1025", p22Code5, CharSet::DialCodesR, TextChars, TextChars},
    {PageId::Page22, "ctl1026", p22Code6, CharSet::DialCodesR, TextChars, TextChars},
    {PageId::Page22, "ctl1027", p22Code7, CharSet::DialCodesR, TextChars, TextChars},

    {PageId::Page23, "ctl1000", p23Code, CharSet::DialCodesR, TextChars, TextChars},

    {PageId::Page24, "ctl1000", p24Code, CharSet::DialCodesRN, TextChars, TextChars},
};
// clang-format on

} // namespace

std::span<const EditRule> EditRules() {
    return kEditRules;
}

void ApplyEditRules(QWidget* page, int pageId) {
    for (const EditRule& rule : kEditRules) {
        if (rule.pageId != pageId) {
            continue;
        }
        auto* edit = page->findChild<FilterEdit*>(QString::fromLatin1(rule.control));
        if (edit == nullptr) {
            qWarning("Page %d has no edit %s", pageId, rule.control);
            continue;
        }
        edit->setCharacterSet(QString::fromLatin1(rule.characterSet));
        edit->setLimit(rule.limit, rule.widestShown);
    }
}

} // namespace vandrel
