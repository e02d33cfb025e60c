#include "shell/app/StatusPanes.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <QLabel>
#include <QStatusBar>

#include <algorithm>

namespace vandrel {

int linkStatusTextId(const StatusInputs& inputs) {
    if (!inputs.channelRunning) {
        return text::StatusLinkClosed;
    }
    return inputs.sessionFailed ? text::StatusLinkNoAnswer : text::StatusLinkReady;
}

int monitorStatusTextId(const StatusInputs& inputs) {
    return inputs.monitoringOn ? text::StatusMonitorOn : text::StatusMonitorOff;
}

std::span<const int> paneTextIds(int pane) {
    static constexpr int link[] = {text::StatusLinkReady, text::StatusLinkNoAnswer,
                                   text::StatusLinkClosed};
    static constexpr int monitor[] = {text::StatusMonitorOn, text::StatusMonitorOff};
    if (pane == 1) {
        return link;
    }
    return pane == 2 ? std::span<const int>(monitor) : std::span<const int>();
}

namespace {

// The width `label` needs to show `text` whole, as QLabel measures it (its indent beside a
// frame, margins and frame included): asked of a label made like it.
int widthFor(const QLabel* label, const QString& text) {
    QLabel probe;
    probe.setFrameStyle(label->frameStyle());
    probe.setLineWidth(label->lineWidth());
    probe.setFont(label->font());
    probe.setMargin(label->margin());
    probe.setIndent(label->indent());
    probe.setContentsMargins(label->contentsMargins());
    probe.setText(text);
    return probe.sizeHint().width();
}

} // namespace

StatusPanes::StatusPanes(QStatusBar* bar) {
    bar->setSizeGripEnabled(true);
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("statusPane%1").arg(i));
        panes_[i] = label;
    }
    // Pane 0 starts empty and without a frame; the other two have a fixed width at the right.
    bar->addWidget(panes_[0], 1);
    for (std::size_t i = 1; i < panes_.size(); ++i) {
        panes_[i]->setFrameShape(QFrame::Panel);
        panes_[i]->setFrameShadow(QFrame::Sunken);
        panes_[i]->setFixedWidth(kPaneWidth);
        bar->addPermanentWidget(panes_[i]);
    }
}

void StatusPanes::fitTexts(const LanguageManager& language) {
    for (int pane = 1; pane <= 2; ++pane) {
        QLabel* label = panes_[static_cast<std::size_t>(pane)];
        int width = kPaneWidth;
        for (const int id : paneTextIds(pane)) {
            width = std::max(width, widthFor(label, language.Text(id)));
        }
        label->setFixedWidth(width);
    }
}

void StatusPanes::refresh(const LanguageManager& language, const StatusInputs& inputs) {
    setPaneText(1, language.Text(linkStatusTextId(inputs)));
    setPaneText(2, language.Text(monitorStatusTextId(inputs)));
}

QString StatusPanes::text(int pane) const {
    return panes_[static_cast<std::size_t>(pane)]->text();
}

void StatusPanes::setPaneText(int pane, const QString& text) {
    QLabel* label = panes_[static_cast<std::size_t>(pane)];
    if (label->text() != text) {
        label->setText(text);
    }
}

} // namespace vandrel
