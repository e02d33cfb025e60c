#pragma once

#include "config/ConverterConfig.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel {

enum class FieldKind {
    Number,      // unsigned, little-endian (only `tag` is wider than a byte)
    Text,        // NUL-terminated, NUL-padded
    CountedText, // characters whose count is the byte right behind them (number1, number2)
    CodeField,   // 20 characters and their count
    Bytes,       // carried as they are
};

struct ConfigField {
    std::string_view name;
    std::size_t offset;
    std::size_t size;
    FieldKind kind;
};

// Every named field of the record, in record order, without gaps.
// clang-format off
inline constexpr std::array kConfigFields{
    ConfigField{"tag", ConfigOffset::tag, ConfigSize::tag, FieldKind::Number},
    ConfigField{"languageName", ConfigOffset::languageName, ConfigSize::languageName, FieldKind::Text},
    ConfigField{"p11Select", ConfigOffset::p11Select, 1, FieldKind::Number},
    ConfigField{"p11Number", ConfigOffset::p11Number, 1, FieldKind::Number},
    ConfigField{"p11Options", ConfigOffset::p11Options, 1, FieldKind::Number},
    ConfigField{"p11Choice", ConfigOffset::p11Choice, 1, FieldKind::Number},
    ConfigField{"p11Count", ConfigOffset::p11Count, 1, FieldKind::Number},
    ConfigField{"p11Reserved", ConfigOffset::p11Reserved, ConfigSize::p11Reserved, FieldKind::Bytes},
    ConfigField{"number1", ConfigOffset::number1, ConfigSize::number, FieldKind::CountedText},
    ConfigField{"number1Length", ConfigOffset::number1Length, 1, FieldKind::Number},
    ConfigField{"number2", ConfigOffset::number2, ConfigSize::number, FieldKind::CountedText},
    ConfigField{"number2Length", ConfigOffset::number2Length, 1, FieldKind::Number},
    ConfigField{"p12Flags", ConfigOffset::p12Flags, 1, FieldKind::Number},
    ConfigField{"p12Scaled", ConfigOffset::p12Scaled, 1, FieldKind::Number},
    ConfigField{"p12ListIndex", ConfigOffset::p12ListIndex, 1, FieldKind::Number},
    ConfigField{"number1OptionA", ConfigOffset::number1OptionA, 1, FieldKind::Number},
    ConfigField{"number2OptionA", ConfigOffset::number2OptionA, 1, FieldKind::Number},
    ConfigField{"number1OptionB", ConfigOffset::number1OptionB, 1, FieldKind::Number},
    ConfigField{"number2OptionB", ConfigOffset::number2OptionB, 1, FieldKind::Number},
    ConfigField{"p12Checks", ConfigOffset::p12Checks, 1, FieldKind::Number},
    ConfigField{"p12Reserved", ConfigOffset::p12Reserved, ConfigSize::p12Reserved, FieldKind::Bytes},
    ConfigField{"p21Code1On", ConfigOffset::p21Code1On, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p21Code1Off", ConfigOffset::p21Code1Off, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p21Code2On", ConfigOffset::p21Code2On, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p21Code2Off", ConfigOffset::p21Code2Off, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p21Code3On", ConfigOffset::p21Code3On, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p21Code3Off", ConfigOffset::p21Code3Off, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p22Code1", ConfigOffset::p22Code1, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p22Code2", ConfigOffset::p22Code2, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p22Code3", ConfigOffset::p22Code3, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p22Code4", ConfigOffset::p22Code4, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p22Code5", ConfigOffset::p22Code5, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p22Code6", ConfigOffset::p22Code6, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p22Code7", ConfigOffset::p22Code7, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p23Code", ConfigOffset::p23Code, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p24Code", ConfigOffset::p24Code, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p12Code", ConfigOffset::p12Code, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"p12Digits", ConfigOffset::p12Digits, ConfigSize::codeField, FieldKind::CodeField},
    ConfigField{"spareCodes", ConfigOffset::spareCodes, ConfigSize::spareCodes, FieldKind::Bytes},
    ConfigField{"enableBits", ConfigOffset::enableBits, 1, FieldKind::Number},
    ConfigField{"enableBits2", ConfigOffset::enableBits2, 1, FieldKind::Number},
    ConfigField{"password", ConfigOffset::password, ConfigSize::password, FieldKind::Bytes},
    ConfigField{"p12Value1", ConfigOffset::p12Value1, 1, FieldKind::Number},
    ConfigField{"p12Value2", ConfigOffset::p12Value2, 1, FieldKind::Number},
    ConfigField{"p12Value3", ConfigOffset::p12Value3, 1, FieldKind::Number},
    ConfigField{"p12Value4", ConfigOffset::p12Value4, 1, FieldKind::Number},
    ConfigField{"p12Reserved2", ConfigOffset::p12Reserved2, ConfigSize::p12Reserved2, FieldKind::Bytes},
    ConfigField{"reserved", ConfigOffset::reserved, ConfigSize::reserved, FieldKind::Bytes},
};
// clang-format on

// The offsets are the format: each field starts where the one before ends, the last ends at 640,
// and the kinds agree with the sizes.
constexpr bool ConfigFieldsTileRecord() {
    std::size_t next = 0;
    for (const ConfigField& field : kConfigFields) {
        if (field.offset != next || field.size == 0) {
            return false;
        }
        if (field.kind == FieldKind::CodeField && field.size != ConfigSize::codeField) {
            return false;
        }
        if (field.kind == FieldKind::Number && field.size > 4) {
            return false;
        }
        next = field.offset + field.size;
    }
    return next == kConfigSize;
}
static_assert(ConfigFieldsTileRecord());
static_assert(ConfigOffset::number1Length == ConfigOffset::number1 + ConfigSize::number);
static_assert(ConfigOffset::number2Length == ConfigOffset::number2 + ConfigSize::number);
static_assert(ConfigOffset::p12Checks == 91 && ConfigOffset::p12Code == 409 &&
              ConfigOffset::p12Digits == 430 && ConfigOffset::password == 558 &&
              ConfigOffset::p12Value1 == 590 && ConfigOffset::reserved == 600);

// The field called `name`, or nullptr.
const ConfigField* FindConfigField(std::string_view name);

// "number", "text", "counted text", "code field" or "bytes".
std::string_view FieldKindName(FieldKind kind);

// The value of a Number field, little-endian; 0 for other kinds.
std::uint32_t FieldNumber(const ConverterConfig& record, const ConfigField& field);

// The text of a Text, CountedText or CodeField field, never read past the field; "" otherwise.
std::string FieldText(const ConverterConfig& record, const ConfigField& field);

} // namespace vandrel
