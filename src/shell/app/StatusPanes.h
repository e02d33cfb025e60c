#pragma once

#include <QString>

#include <array>

class QLabel;
class QStatusBar;

namespace vandrel {

class LanguageManager;

// What the status panes show: the link in pane 1, monitoring in pane 2.
struct StatusInputs {
    bool channelRunning = false;
    bool sessionFailed = false; // the last transaction was given up
    bool monitoringOn = false;
};

// The text ids of panes 1 and 2 for a state.
int linkStatusTextId(const StatusInputs& inputs);
int monitorStatusTextId(const StatusInputs& inputs);

// The status bar's three panes: 0 takes the free width, 1 and 2 sit at the right.
class StatusPanes {
public:
    static constexpr int kPaneWidth = 150;

    explicit StatusPanes(QStatusBar* bar);

    // Rewrites a pane only when its text changes.
    void refresh(const LanguageManager& language, const StatusInputs& inputs);
    QString text(int pane) const;
    QLabel* pane(int index) const { return panes_[static_cast<std::size_t>(index)]; }

private:
    void setPaneText(int pane, const QString& text);

    std::array<QLabel*, 3> panes_{};
};

} // namespace vandrel
