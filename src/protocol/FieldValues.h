#pragma once

#include "protocol/ProtocolFrame.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Reading the values of received fields. Values come from the converter and are not trusted:
// every reader stays inside the field.
namespace vandrel {

// The first value byte of a field, none when the field is missing or empty.
std::optional<std::uint8_t> fieldFirstByte(const std::optional<FrameField>& field);

// A 24-bit big-endian number. A shorter value is read as if the missing low-order bytes were 0.
std::uint32_t fieldAddress24(const FrameField& field);

// The value as text: up to the first zero byte, cut after `maxChars` characters.
std::string fieldText(const FrameField& field, std::size_t maxChars);

// The status byte of a negative answer, none when it carries no status.
std::optional<std::uint8_t> frameStatus(const ProtocolFrame& frame);

// The field that decides what an answer in state Ready is: the first of monitor on (0x31),
// monitor off (0x32), monitor command (0x33), system information (0x15), image size (0x24),
// image block (0x42) and password change (0x28) that the frame holds; 0 for none.
std::uint8_t readyAnswerField(const ProtocolFrame& frame);

// "%02X" of each value byte, separated by single blanks; at most `maxBytes` bytes.
std::string hexText(const std::optional<FrameField>& field, std::size_t maxBytes);

} // namespace vandrel
