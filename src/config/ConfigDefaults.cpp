#include "config/CodeField.h"
#include "config/ConverterConfig.h"

#include <algorithm>
#include <string_view>

namespace vandrel {
namespace {

struct CodeDefault {
    std::size_t offset;
    std::string_view text;
};

// Code fields not listed here stay empty.
constexpr CodeDefault kCodeDefaults[] = {
    {ConfigOffset::p21Code1On, "*21*n#,,,"}, {ConfigOffset::p21Code1Off, "#21#,,,"},
    {ConfigOffset::p21Code2On, "*67*n#,,,"}, {ConfigOffset::p21Code2Off, "#67#,,,"},
    {ConfigOffset::p21Code3On, "*61*n#,,,"}, {ConfigOffset::p21Code3Off, "#61#,,,"},
    {ConfigOffset::p22Code1, "R"},           {ConfigOffset::p22Code2, "R2"},
    {ConfigOffset::p22Code3, "R3"},          {ConfigOffset::p23Code, "R,,,,*37#,,,"},
    {ConfigOffset::p24Code, "*31#"},
};

void setText(ConverterConfig& record, std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), record.bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

} // namespace

void ResetToDefaults(ConverterConfig* record) {
    if (record == nullptr) {
        return;
    }
    auto& b = record->bytes;
    b.fill(0);

    b[ConfigOffset::tag] = 0x62; // 0x1862, little-endian
    b[ConfigOffset::tag + 1] = 0x18;
    setText(*record, ConfigOffset::languageName, "English");

    b[ConfigOffset::p11Choice] = 1;
    b[ConfigOffset::p11Count] = 3;

    // number1 and number2 are laid out like code fields: characters, then their count.
    SetCodeFieldText(*record, ConfigOffset::number1, "200");
    SetCodeFieldText(*record, ConfigOffset::number2, "201");

    b[ConfigOffset::p12Flags] |= 0x02;
    b[ConfigOffset::p12Checks] |= 0x1A;
    b[ConfigOffset::p12ListIndex] = 5;
    b[ConfigOffset::p12Scaled] = 20;

    for (const CodeDefault& code : kCodeDefaults) {
        SetCodeFieldText(*record, code.offset, code.text);
    }

    std::fill_n(b.begin() + ConfigOffset::password, ConfigSize::password, std::uint8_t{0xFF});

    b[ConfigOffset::p12Value1] = 4;
    b[ConfigOffset::p12Value2] = 20;
    b[ConfigOffset::p12Value3] = 3;
    b[ConfigOffset::p12Value4] = 4;
}

} // namespace vandrel
