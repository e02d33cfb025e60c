#include "cli/StderrTrace.h"

#include <string>

namespace vandrel {

void StderrTrace::addLine(std::string_view text, TraceColour) {
    std::string line(text);
    line += '\n';
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
}

void StderrTrace::dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection direction,
                            const HiddenBytes& hidden) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = direction == FrameDirection::In ? " IN:" : "OUT:";
    line.reserve(4 + bytes.size() * 3 + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        line += ' ';
        if (i < hidden.size() && hidden.test(i)) {
            line += "**";
            continue;
        }
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 0x0F];
    }
    line += '\n';
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
}

} // namespace vandrel
