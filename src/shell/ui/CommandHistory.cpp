#include "shell/ui/CommandHistory.h"

namespace vandrel {

void CommandHistory::add(const QString& line) {
    position_ = -1;
    if (line.isEmpty() || (!lines_.isEmpty() && lines_.back() == line)) {
        return;
    }
    lines_.append(line);
    while (lines_.size() > capacity_) {
        lines_.removeFirst();
    }
}

std::optional<QString> CommandHistory::older(const QString& typed) {
    if (lines_.isEmpty() || position_ == 0) {
        return std::nullopt;
    }
    if (position_ < 0) {
        typed_ = typed;
        position_ = static_cast<int>(lines_.size());
    }
    --position_;
    return lines_[position_];
}

std::optional<QString> CommandHistory::newer() {
    if (position_ < 0) {
        return std::nullopt;
    }
    ++position_;
    if (position_ >= lines_.size()) {
        position_ = -1;
        return typed_;
    }
    return lines_[position_];
}

} // namespace vandrel
