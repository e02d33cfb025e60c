#include "config/CodeField.h"

#include <algorithm>

namespace vandrel {
namespace {

bool fits(std::size_t offset) {
    return offset <= kConfigSize && kConfigSize - offset >= ConfigSize::codeField;
}

} // namespace

std::string CodeFieldText(const ConverterConfig& record, std::size_t offset) {
    if (!fits(offset)) {
        return {};
    }
    const std::size_t length =
        std::min<std::size_t>(record.bytes[offset + kCodeFieldChars], kCodeFieldChars);
    const auto* chars = reinterpret_cast<const char*>(record.bytes.data() + offset);
    return std::string(chars, length);
}

void SetCodeFieldText(ConverterConfig& record, std::size_t offset, std::string_view text) {
    if (!fits(offset)) {
        return;
    }
    const std::size_t length = std::min(text.size(), kCodeFieldChars);
    std::copy_n(text.begin(), length, record.bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    record.bytes[offset + kCodeFieldChars] = static_cast<std::uint8_t>(length);
}

} // namespace vandrel
