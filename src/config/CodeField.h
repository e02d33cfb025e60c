#pragma once

#include "config/ConverterConfig.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel {

inline constexpr std::size_t kCodeFieldChars = 20;

// A counted text of the record: 20 character bytes and a length byte (0..20). The text is the
// first `length` characters; bytes behind it carry no meaning and are left as they are.
struct CodeField {
    std::array<char, kCodeFieldChars> chars;
    std::uint8_t length;
};

static_assert(sizeof(CodeField) == ConfigSize::codeField);

// The text of the field starting at `offset`. A damaged length above 20 is read as 20, so no
// reader goes past the field's characters; an offset without room for a field gives "".
std::string CodeFieldText(const ConverterConfig& record, std::size_t offset);

// Writes the first 20 characters of `text` and their count; the characters behind stay.
void SetCodeFieldText(ConverterConfig& record, std::size_t offset, std::string_view text);

} // namespace vandrel
