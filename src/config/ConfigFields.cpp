#include "config/ConfigFields.h"

#include "config/CodeField.h"

#include <algorithm>
#include <cstring>

namespace vandrel {

const ConfigField* FindConfigField(std::string_view name) {
    const std::size_t index = ConfigFieldIndex(name);
    return index < kConfigFields.size() ? &kConfigFields[index] : nullptr;
}

const ConfigField* ConfigFieldAt(std::size_t offset) {
    const auto it =
        std::find_if(kConfigFields.begin(), kConfigFields.end(),
                     [offset](const ConfigField& field) { return field.offset == offset; });
    return it == kConfigFields.end() ? nullptr : &*it;
}

std::string_view FieldKindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Number:
        return "number";
    case FieldKind::Text:
        return "text";
    case FieldKind::CountedText:
        return "counted text";
    case FieldKind::CodeField:
        return "code field";
    case FieldKind::Bytes:
        return "bytes";
    }
    return "bytes";
}

std::uint32_t FieldNumber(const ConverterConfig& record, const ConfigField& field) {
    if (field.kind != FieldKind::Number) {
        return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = field.size; i-- > 0;) {
        value = (value << 8) | record.bytes[field.offset + i];
    }
    return value;
}

std::string FieldText(const ConverterConfig& record, const ConfigField& field) {
    const auto* chars = reinterpret_cast<const char*>(record.bytes.data() + field.offset);
    switch (field.kind) {
    case FieldKind::Text:
        return std::string(chars, ::strnlen(chars, field.size));
    case FieldKind::CountedText: // its count sits right behind it, as in a code field
    case FieldKind::CodeField:
        return CodeFieldText(record, field.offset);
    case FieldKind::Number:
    case FieldKind::Bytes:
        break;
    }
    return {};
}

std::string FieldValueText(const ConverterConfig& record, const ConfigField& field) {
    switch (field.kind) {
    case FieldKind::Number:
        return std::to_string(FieldNumber(record, field));
    case FieldKind::Bytes: {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string hex;
        hex.reserve(field.size * 2);
        for (std::size_t i = 0; i < field.size; ++i) {
            const std::uint8_t b = record.bytes[field.offset + i];
            hex += kHex[b >> 4];
            hex += kHex[b & 0x0F];
        }
        return hex;
    }
    case FieldKind::Text:
    case FieldKind::CountedText:
    case FieldKind::CodeField:
        break;
    }
    return FieldText(record, field);
}

std::vector<const ConfigField*> DifferingFields(const ConverterConfig& a,
                                                const ConverterConfig& b) {
    std::vector<const ConfigField*> differing;
    for (const ConfigField& field : kConfigFields) {
        if (FieldValueText(a, field) != FieldValueText(b, field)) {
            differing.push_back(&field);
        }
    }
    return differing;
}

bool SwitchOn(const ConverterConfig& record, const ConfigField& field) {
    const FieldSwitch& s = field.rules.fieldSwitch;
    return (record.bytes[s.offset] & s.mask) == s.mask;
}

std::uint32_t ShownNumber(const ConverterConfig& record, const ConfigField& field) {
    const FieldRules& r = field.rules;
    if (r.fieldSwitch.zeroWhileOff && !SwitchOn(record, field)) {
        return 0;
    }
    std::uint32_t value = FieldNumber(record, field);
    if (r.correction == Correction::Fallback && (value < r.low || value > r.high)) {
        value = r.fallback;
    } else if (r.correction == Correction::RoundClamp) {
        value = std::max(value, r.low);
    }
    return value * r.scale;
}

std::uint32_t CorrectedNumber(const ConfigField& field, std::uint32_t shown) {
    const FieldRules& r = field.rules;
    switch (r.correction) {
    case Correction::Clamp:
        return std::clamp(shown, r.low * r.scale, r.high * r.scale);
    case Correction::RoundClamp:
        return std::clamp(shown / r.scale * r.scale, r.low * r.scale, r.high * r.scale);
    case Correction::None:
    case Correction::KeepLast:
    case Correction::Fallback:
        break;
    }
    return shown;
}

bool TypingKeeps(const ConfigField& field, std::uint32_t shown, std::uint32_t lastKept) {
    return field.rules.correction != Correction::KeepLast || shown == lastKept ||
           shown <= field.rules.high;
}

std::uint32_t StoredNumber(const ConverterConfig& record, const ConfigField& field,
                           std::uint32_t shown) {
    const FieldRules& r = field.rules;
    if (r.fieldSwitch.zeroWhileOff && !SwitchOn(record, field)) {
        return 0;
    }
    switch (r.correction) {
    case Correction::Clamp:
    case Correction::RoundClamp:
        return std::clamp(shown / r.scale, r.low, r.high);
    case Correction::KeepLast:
        return std::min(shown, r.high);
    case Correction::Fallback:
        return shown < r.low || shown > r.high ? r.fallback : shown;
    case Correction::None:
        break;
    }
    return shown;
}

void StoreFieldNumber(ConverterConfig& record, const ConfigField& field, std::uint32_t value) {
    if (field.kind != FieldKind::Number) {
        return;
    }
    for (std::size_t i = 0; i < field.size; ++i) {
        record.bytes[field.offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void StoreFieldText(ConverterConfig& record, const ConfigField& field, std::string_view text) {
    if (field.kind != FieldKind::CountedText && field.kind != FieldKind::CodeField) {
        return;
    }
    if (text.empty() && field.rules.zeroFillWhenEmpty) {
        std::fill_n(record.bytes.begin() + static_cast<std::ptrdiff_t>(field.offset),
                    kCodeFieldChars + 1, std::uint8_t{0});
        return;
    }
    SetCodeFieldText(record, field.offset, text);
}

} // namespace vandrel
