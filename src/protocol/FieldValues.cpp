#include "protocol/FieldValues.h"

#include "protocol/FieldTags.h"

#include <algorithm>
#include <cstdio>

namespace vandrel {

std::optional<std::uint8_t> fieldFirstByte(const std::optional<FrameField>& field) {
    if (!field || field->value.empty()) {
        return std::nullopt;
    }
    return field->value[0];
}

std::uint32_t fieldAddress24(const FrameField& field) {
    std::uint32_t address = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        address = (address << 8) | (i < field.value.size() ? field.value[i] : 0u);
    }
    return address;
}

std::string fieldText(const FrameField& field, std::size_t maxChars) {
    std::string text;
    for (std::uint8_t b : field.value) {
        if (b == 0 || text.size() == maxChars) {
            break;
        }
        text.push_back(static_cast<char>(b));
    }
    return text;
}

std::optional<std::uint8_t> frameStatus(const ProtocolFrame& frame) {
    return fieldFirstByte(frameFindField(frame, tag::Status));
}

std::uint8_t readyAnswerField(const ProtocolFrame& frame) {
    for (const std::uint8_t candidate :
         {tag::MonitorOn, tag::MonitorOff, tag::MonitorText, tag::SystemInfo, tag::FlashReadStart,
          tag::Read, tag::NewPassword}) {
        if (frameFindField(frame, candidate)) {
            return candidate;
        }
    }
    return 0;
}

std::string hexText(const std::optional<FrameField>& field, std::size_t maxBytes) {
    std::string text;
    if (!field) {
        return text;
    }
    const std::size_t n = std::min(field->value.size(), maxBytes);
    for (std::size_t i = 0; i < n; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", field->value[i]);
        if (i > 0) {
            text.push_back(' ');
        }
        text += digits;
    }
    return text;
}

} // namespace vandrel
