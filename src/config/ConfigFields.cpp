#include "config/ConfigFields.h"

#include "config/CodeField.h"

#include <algorithm>
#include <cstring>

namespace vandrel {

const ConfigField* FindConfigField(std::string_view name) {
    const auto it = std::find_if(kConfigFields.begin(), kConfigFields.end(),
                                 [name](const ConfigField& field) { return field.name == name; });
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

} // namespace vandrel
