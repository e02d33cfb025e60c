#include "protocol/FrameSecrets.h"

#include "protocol/FieldTags.h"

#include <algorithm>

namespace vandrel {

HiddenBytes passwordBytes(std::span<const std::uint8_t> frame) {
    HiddenBytes hidden;
    if (frame.size() < 2) {
        return hidden;
    }
    // The payload ends where its length byte says, or where the bytes end.
    const std::size_t end =
        std::min<std::size_t>({frame.size(), std::size_t{frame[1]} + 2, kFrameCapacity});
    std::size_t at = 2;
    while (at + 2 <= end) {
        const std::uint8_t fieldTag = frame[at];
        const std::size_t valueStart = at + 2;
        const std::size_t valueEnd = std::min(end, valueStart + frame[at + 1]);
        if (fieldTag == tag::Password || fieldTag == tag::NewPassword) {
            for (std::size_t i = valueStart; i < valueEnd; ++i) {
                hidden.set(i);
            }
        }
        at = valueStart + frame[at + 1];
    }
    return hidden;
}

} // namespace vandrel
