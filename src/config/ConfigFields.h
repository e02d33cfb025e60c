#pragma once

#include "config/CodeField.h"
#include "config/ConverterConfig.h"
#include "config/FieldRules.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

enum class FieldKind {
    Number,      // unsigned, little-endian (only `tag` is wider than a byte)
    Text,        // NUL-terminated, NUL-padded
    CountedText, // characters whose count is the byte right behind them (number1, number2)
    CodeField,   // 20 characters and their count
    Bytes,       // carried as they are
};

// A named field of the record and the rules that keep it valid.
struct ConfigField {
    std::string_view name;
    std::size_t offset;
    std::size_t size;
    FieldKind kind;
    FieldRules rules{};
};

// Every named field of the record, in record order, without gaps, with the rules of the page
// that edits it.
// clang-format off
namespace field_table {
using namespace ConfigOffset;
using namespace rule;
using FieldCharacters::Digits;
using FieldCharacters::DialCodes;
using FieldCharacters::DialCodesN;
using FieldCharacters::DialCodesR;
using FieldCharacters::DialCodesRN;
using K = FieldKind;
inline constexpr std::size_t codeSize = ConfigSize::codeField;

inline constexpr std::array kFields{
    ConfigField{"tag", tag, ConfigSize::tag, K::Number},
    ConfigField{"languageName", languageName, ConfigSize::languageName, K::Text},
    ConfigField{"p11Select", p11Select, 1, K::Number, Flags(0x01)},
    ConfigField{"p11Number", p11Number, 1, K::Number,
                WithZeroWhileOff(Number(0, 127, 3, Correction::KeepLast), p11Select, 0x01)},
    ConfigField{"p11Options", p11Options, 1, K::Number, Flags(0x03)},
    ConfigField{"p11Choice", p11Choice, 1, K::Number, Choice(1, 3, 1)},
    ConfigField{"p11Count", p11Count, 1, K::Number, Number(1, 30, 2)},
    ConfigField{"p11Reserved", p11Reserved, ConfigSize::p11Reserved, K::Bytes},
    ConfigField{"number1", number1, ConfigSize::number, K::CountedText, Counted(Digits, 20, "number1Length")},
    ConfigField{"number1Length", number1Length, 1, K::Number, Count("number1")},
    ConfigField{"number2", number2, ConfigSize::number, K::CountedText, Counted(Digits, 20, "number2Length")},
    ConfigField{"number2Length", number2Length, 1, K::Number, Count("number2")},
    ConfigField{"p12Flags", p12Flags, 1, K::Number, Flags(0x33)},
    ConfigField{"p12Scaled", p12Scaled, 1, K::Number, Scaled(8, 255, 5, 4)},
    ConfigField{"p12ListIndex", p12ListIndex, 1, K::Number, Choice(0, 8, 5)},
    ConfigField{"number1OptionA", number1OptionA, 1, K::Number, Choice(0, 1, 1)},
    ConfigField{"number2OptionA", number2OptionA, 1, K::Number, Choice(0, 1, 1)},
    ConfigField{"number1OptionB", number1OptionB, 1, K::Number, Choice(0, 1, 1)},
    ConfigField{"number2OptionB", number2OptionB, 1, K::Number, Choice(0, 1, 1)},
    ConfigField{"p12Checks", p12Checks, 1, K::Number, Flags(0xFF)},
    ConfigField{"p12Reserved", p12Reserved, ConfigSize::p12Reserved, K::Bytes},
    ConfigField{"p21Code1On", p21Code1On, codeSize, K::CodeField, Code(DialCodesN, Mandatory(enableBits, EnableBit::p21Code1))},
    ConfigField{"p21Code1Off", p21Code1Off, codeSize, K::CodeField, Code(DialCodesN, Mandatory(enableBits, EnableBit::p21Code1))},
    ConfigField{"p21Code2On", p21Code2On, codeSize, K::CodeField, Code(DialCodesN, Mandatory(enableBits, EnableBit::p21Code2))},
    ConfigField{"p21Code2Off", p21Code2Off, codeSize, K::CodeField, Code(DialCodesN, Mandatory(enableBits, EnableBit::p21Code2))},
    ConfigField{"p21Code3On", p21Code3On, codeSize, K::CodeField, Code(DialCodesN, Mandatory(enableBits, EnableBit::p21Code3))},
    ConfigField{"p21Code3Off", p21Code3Off, codeSize, K::CodeField, Code(DialCodesN, Mandatory(enableBits, EnableBit::p21Code3))},
    ConfigField{"p22Code1", p22Code1, codeSize, K::CodeField, Code(DialCodesR, Mandatory(enableBits, EnableBit::p22Codes12))},
    ConfigField{"p22Code2", p22Code2, codeSize, K::CodeField, Code(DialCodesR, Mandatory(enableBits, EnableBit::p22Codes12))},
    ConfigField{"p22Code3", p22Code3, codeSize, K::CodeField, Code(DialCodesR, Mandatory(enableBits, EnableBit::p22Codes12 | EnableBit::p22Codes37))},
    ConfigField{"p22Code4", p22Code4, codeSize, K::CodeField, Code(DialCodesR, Optional(enableBits, EnableBit::p22Codes12 | EnableBit::p22Codes37))},
    ConfigField{"p22Code5", p22Code5, codeSize, K::CodeField, Code(DialCodesR, Optional(enableBits, EnableBit::p22Codes12 | EnableBit::p22Codes37))},
    ConfigField{"p22Code6", p22Code6, codeSize, K::CodeField, Code(DialCodesR, Optional(enableBits, EnableBit::p22Codes12 | EnableBit::p22Codes37))},
    ConfigField{"p22Code7", p22Code7, codeSize, K::CodeField, Code(DialCodesR, Optional(enableBits, EnableBit::p22Codes12 | EnableBit::p22Codes37))},
    ConfigField{"p23Code", p23Code, codeSize, K::CodeField, Code(DialCodesR, Mandatory(enableBits, EnableBit::p23Code))},
    ConfigField{"p24Code", p24Code, codeSize, K::CodeField, Code(DialCodesRN, Mandatory(enableBits, EnableBit::p24Code))},
    ConfigField{"p12Code", p12Code, codeSize, K::CodeField, Code(DialCodes, Mandatory(enableBits, EnableBit::p12Code))},
    ConfigField{"p12Digits", p12Digits, codeSize, K::CodeField, Code(Digits, Mandatory(enableBits2, EnableBit2::p12Digits))},
    ConfigField{"spareCodes", spareCodes, ConfigSize::spareCodes, K::Bytes},
    ConfigField{"enableBits", enableBits, 1, K::Number, Flags(0xFF, {EnableBit::p22Codes37, EnableBit::p22Codes12})},
    ConfigField{"enableBits2", enableBits2, 1, K::Number, Flags(EnableBit2::p12Digits)},
    ConfigField{"password", password, ConfigSize::password, K::Bytes},
    ConfigField{"p12Value1", p12Value1, 1, K::Number, Number(1, 30, 2)},
    ConfigField{"p12Value2", p12Value2, 1, K::Number, Number(1, 30, 2)},
    ConfigField{"p12Value3", p12Value3, 1, K::Number, Number(2, 20, 2)},
    ConfigField{"p12Value4", p12Value4, 1, K::Number, Number(1, 6, 1)},
    ConfigField{"p12Reserved2", p12Reserved2, ConfigSize::p12Reserved2, K::Bytes},
    ConfigField{"reserved", reserved, ConfigSize::reserved, K::Bytes},
};
} // namespace field_table
// clang-format on

inline constexpr const auto& kConfigFields = field_table::kFields;

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

// The position of the field called `name` in kConfigFields; kConfigFields.size() when none is.
constexpr std::size_t ConfigFieldIndex(std::string_view name) {
    for (std::size_t i = 0; i < kConfigFields.size(); ++i) {
        if (kConfigFields[i].name == name) {
            return i;
        }
    }
    return kConfigFields.size();
}

constexpr unsigned DecimalDigits(std::uint32_t value) {
    unsigned digits = 1;
    for (; value >= 10; value /= 10) {
        ++digits;
    }
    return digits;
}

// The rules fit their fields: numbers fit their byte and their edit, texts their characters, a
// counted text and its count byte name each other and sit side by side, and every switch is a bit
// of a flag byte that pages edit.
constexpr bool FieldRulesConsistent() {
    // Indexes, not references into the table: the sanitizers' checks are no constant expressions.
    for (std::size_t i = 0; i < kConfigFields.size(); ++i) {
        const ConfigField& field = kConfigFields[i];
        const FieldRules& r = field.rules;
        if (r.editing == Editing::Carried) {
            if (!r.characters.empty() || r.limit != 0 || r.fieldSwitch.mask != 0) {
                return false;
            }
            continue;
        }
        if (r.editing == Editing::Follows) {
            const std::size_t t = ConfigFieldIndex(r.counterpart);
            if (t + 1 != i || kConfigFields[t].kind != FieldKind::CountedText ||
                kConfigFields[t].rules.counterpart != field.name ||
                field.kind != FieldKind::Number || field.size != 1) {
                return false;
            }
            continue;
        }
        if (field.kind == FieldKind::Number) {
            if (field.size != 1 || r.low > r.high || r.high > 0xFF || r.scale == 0) {
                return false;
            }
            if (r.correction == Correction::Fallback &&
                (r.fallback < r.low || r.fallback > r.high)) {
                return false;
            }
            if (!r.characters.empty() && r.limit < DecimalDigits(r.high * r.scale)) {
                return false;
            }
            if (r.bits != 0 && (r.low != 0 || r.high != 0xFF)) {
                return false;
            }
        } else if (field.kind == FieldKind::CodeField || field.kind == FieldKind::CountedText) {
            if (r.characters.empty() || r.limit == 0 || r.limit > kCodeFieldChars) {
                return false;
            }
        } else {
            return false; // plain texts and byte runs are carried
        }
        if (r.fieldSwitch.mask != 0) {
            bool owned = false;
            for (std::size_t j = 0; j < kConfigFields.size(); ++j) {
                owned = owned ||
                        (kConfigFields[j].offset == r.fieldSwitch.offset &&
                         (kConfigFields[j].rules.bits & r.fieldSwitch.mask) == r.fieldSwitch.mask);
            }
            if (!owned) {
                return false;
            }
        }
    }
    return true;
}
static_assert(FieldRulesConsistent());

// The field called `name`, or nullptr.
const ConfigField* FindConfigField(std::string_view name);

// The field that starts at `offset`, or nullptr.
const ConfigField* ConfigFieldAt(std::size_t offset);

// "number", "text", "counted text", "code field" or "bytes".
std::string_view FieldKindName(FieldKind kind);

// The value of a Number field, little-endian; 0 for other kinds.
std::uint32_t FieldNumber(const ConverterConfig& record, const ConfigField& field);

// The text of a Text, CountedText or CodeField field, never read past the field; "" otherwise.
std::string FieldText(const ConverterConfig& record, const ConfigField& field);

// The value as `vandrelctl config show` prints it: numbers in decimal, texts as their
// characters, byte runs in upper-case hex.
std::string FieldValueText(const ConverterConfig& record, const ConfigField& field);

// The fields whose values (as FieldValueText gives them) differ, in record order. Bytes behind
// the end of a text carry no meaning and make no difference.
std::vector<const ConfigField*> DifferingFields(const ConverterConfig& a, const ConverterConfig& b);

// --- The rules at work, for the pages (see FieldRules.h) -----------------------------------

// True when all bits of the field's switch are set in `record`; true for a field without one.
bool SwitchOn(const ConverterConfig& record, const ConfigField& field);

// The number a page shows for the field of `record`: 0 while a zeroWhileOff switch is off, the
// fallback for a value outside a Fallback range, a RoundClamp value below low raised to low, and
// everything times the scale.
std::uint32_t ShownNumber(const ConverterConfig& record, const ConfigField& field);

// The shown number an edit holds after it loses the focus (Clamp and RoundClamp correct it; the
// others keep it). An empty edit counts as 0.
std::uint32_t CorrectedNumber(const ConfigField& field, std::uint32_t shown);

// Correction::KeepLast: whether a number just typed may stand, given the last one that stood;
// a number that may not is set back to `lastKept`. True for every other correction.
bool TypingKeeps(const ConfigField& field, std::uint32_t shown, std::uint32_t lastKept);

// The value a collect stores for the shown number, by the field's correction; 0 while a
// zeroWhileOff switch is off in `record` (the page sets the switch first).
std::uint32_t StoredNumber(const ConverterConfig& record, const ConfigField& field,
                           std::uint32_t shown);

// Writes a Number field, little-endian, cut to its size.
void StoreFieldNumber(ConverterConfig& record, const ConfigField& field, std::uint32_t value);

// Writes a CountedText or CodeField text and its count, at most 20 characters: an emptied
// zeroFillWhenEmpty text clears its characters; otherwise the characters behind the new text
// stay as they were.
void StoreFieldText(ConverterConfig& record, const ConfigField& field, std::string_view text);

} // namespace vandrel
