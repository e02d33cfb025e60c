#pragma once

#include "protocol/SessionInterfaces.h"

#include <cstdint>
#include <span>

// Passwords travel in two fields: the access password (0x88) and the new password of a change
// (0x28). Their values never reach a trace.
namespace vandrel {

// The value bytes of every password field in `frame` (type, length, payload, checksum as on the
// line). Fields are walked within the bytes given; a damaged frame hides what can be told.
HiddenBytes passwordBytes(std::span<const std::uint8_t> frame);

} // namespace vandrel
