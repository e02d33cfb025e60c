#pragma once

#include "config/ConverterConfig.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Changing named fields of a record from NAME=VALUE texts, by the rules the pages enforce:
// nothing out of a field's character set, limit or range gets in, and what follows a field
// (a text's count byte, a number its switch zeroes) follows it.
namespace vandrel {

struct FieldAssignment {
    std::string name;
    std::string value; // single-byte characters
};

// Splits "NAME=VALUE" at the first '='; none without a '=' or without a name.
std::optional<FieldAssignment> ParseFieldAssignment(std::string_view text);

// A decimal number, or a hex one after "0x" or "0X"; none for anything else (signs, spaces,
// an empty text). Numbers beyond 32 bits come back as 0xFFFFFFFF, out of every range.
std::optional<std::uint32_t> ParseFieldNumber(std::string_view text);

// Applies the assignments in order and checks the result. On any refusal the record is left as
// it was and the refusals are returned, one sentence each naming the field and its rule; an
// empty result means all were applied.
//
// Texts take their field's characters (letters in the set's case, as typed into a page) up to
// its limit; numbers their range (flag bytes: only the bits pages edit may change). A switch
// turned on, or a field under a switch that is named, must not leave a mandatory text empty; a
// number that stays 0 while its switch is off may be named only with its switch on, and follows
// to 0 when its switch is turned off. Fields no page edits, and count bytes, are refused.
std::vector<std::string> ApplyFieldAssignments(ConverterConfig& record,
                                               std::span<const FieldAssignment> assignments);

} // namespace vandrel
