#include "config/DeviceInfo.h"

#include <algorithm>
#include <cstring>

namespace vandrel {

std::string VersionTextString(const VersionText& text) {
    return std::string(text.data(), ::strnlen(text.data(), kVersionTextSize - 1));
}

void SetVersionText(VersionText& target, std::string_view text) {
    target.fill('\0');
    const std::size_t length = std::min(text.size(), kVersionTextSize - 1);
    std::copy_n(text.begin(), length, target.begin());
}

} // namespace vandrel
