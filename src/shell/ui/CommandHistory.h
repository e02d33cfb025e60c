#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vandrel {

// The command lines sent so far, walked with Up and Down as in a shell: Up goes to older lines,
// Down back to newer ones and finally to the line that was being typed before Up was first
// pressed. Repeating the newest line adds no entry; the oldest lines go when `capacity` is full.
class CommandHistory {
public:
    explicit CommandHistory(int capacity = 100) : capacity_(capacity > 0 ? capacity : 1) {}

    void add(const QString& line);
    // The text to show after Up or Down; none when there is nowhere to go (the edit stays).
    std::optional<QString> older(const QString& typed);
    std::optional<QString> newer();
    // Typing after a walk starts the next walk from the newest line.
    void resetWalk() { position_ = -1; }

    const QStringList& lines() const { return lines_; }

private:
    QStringList lines_; // oldest first
    int capacity_;
    int position_ = -1; // index into lines_ while walking; -1: not walking
    QString typed_;
};

} // namespace vandrel
