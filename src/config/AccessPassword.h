#pragma once

#include "config/ConverterConfig.h"

#include <string_view>

namespace vandrel {

// Stamps the access password into the record, as every save does: the 32-byte field is cleared,
// then at most 32 bytes of the password go in (no terminator when it fills the field).
void stampAccessPassword(ConverterConfig& record, std::string_view password);

} // namespace vandrel
