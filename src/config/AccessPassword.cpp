#include "config/AccessPassword.h"

#include <algorithm>

namespace vandrel {

void stampAccessPassword(ConverterConfig& record, std::string_view password) {
    auto field = record.bytes.begin() + ConfigOffset::password;
    std::fill(field, field + ConfigSize::password, std::uint8_t{0});
    std::copy_n(password.begin(), std::min(password.size(), ConfigSize::password), field);
}

} // namespace vandrel
