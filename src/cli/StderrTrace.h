#pragma once

#include "protocol/SessionInterfaces.h"

#include <cstdio>

namespace vandrel {

// The protocol trace of --trace: every status line as the session writes it, and every frame
// as one line of hex bytes after "OUT:" or " IN:", passwords shown as "**".
class StderrTrace final : public TraceSink {
public:
    explicit StderrTrace(std::FILE* out = stderr) : out_(out) {}

    void addLine(std::string_view text, TraceColour colour) override;
    void dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection direction,
                   const HiddenBytes& hidden) override;

private:
    std::FILE* out_;
};

} // namespace vandrel
