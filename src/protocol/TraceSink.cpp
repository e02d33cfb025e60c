#include "protocol/SessionInterfaces.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace vandrel {

void TraceSink::addFormattedLine(TraceColour colour, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<std::size_t>(needed));
    }
    va_end(args);
    addLine(text, colour);
}

} // namespace vandrel
