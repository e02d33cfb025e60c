#pragma once

#include <QString>

#include <array>
#include <span>

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
// Every text id pane 1 or 2 can show.
std::span<const int> paneTextIds(int pane);

// The status bar's three panes: 0 takes the free width, 1 and 2 sit at the right.
class StatusPanes {
public:
    // The least width of panes 1 and 2; wider when a text of theirs needs it.
    static constexpr int kPaneWidth = 150;

    explicit StatusPanes(QStatusBar* bar);

    // Makes panes 1 and 2 wide enough for every text they can show in the language in use.
    // Call again after a language switch.
    void fitTexts(const LanguageManager& language);
    // Rewrites a pane only when its text changes.
    void refresh(const LanguageManager& language, const StatusInputs& inputs);
    QString text(int pane) const;
    QLabel* pane(int index) const { return panes_[static_cast<std::size_t>(index)]; }

private:
    void setPaneText(int pane, const QString& text);

    std::array<QLabel*, 3> panes_{};
};

} // namespace vandrel
