#pragma once

#include "protocol/SessionInterfaces.h"

#include <QColor>
#include <QString>

#include <functional>

class QPlainTextEdit;

namespace vandrel {

// The coloured text log of the monitor pane: protocol status lines, hex dumps of frames, the
// pane's markers and the converter's monitor output. Every insertion is an append at the end,
// whatever the user has selected.
class TraceLog : public TraceSink {
public:
    static constexpr int kDefaultCharsPerLine = 140;
    static constexpr int kMaxSearchText = 127;

    TraceLog() = default;
    ~TraceLog() override = default;

    // The control the log writes into; the log does not own it.
    void attach(QPlainTextEdit* window);
    QPlainTextEdit* window() const { return window_; }
    // Gives the control the shared fixed-pitch font and derives the dump width from it.
    void attachFont();
    int charsPerLine() const { return charsPerLine_; }
    void setCharsPerLine(int chars) { charsPerLine_ = chars > 0 ? chars : 1; }

    // Black in 0xBBGGRR is shown as the palette's text colour, so dark themes stay readable.
    void setTextColor(TraceColour colour);
    void append(const QString& text);

    void addLine(std::string_view text, TraceColour colour) override;
    void addTextLine(const QString& text, TraceColour colour);
    void dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection direction) override;

    // Searches down from the selection, then once from the top; selects and answers true when
    // found, otherwise calls the not-found handler with the search text.
    bool findText(const QString& text, bool matchCase, bool wholeWord);
    void setNotFoundHandler(std::function<void(const QString&)> handler) {
        notFound_ = std::move(handler);
    }

    // Writes the whole text as plain text with CR LF line ends, replacing the file.
    bool saveText(const QString& path) const;

    static QColor toQColor(TraceColour colour);

private:
    QPlainTextEdit* window_ = nullptr;
    int charsPerLine_ = kDefaultCharsPerLine;
    TraceColour colour_ = kTraceTextColour;
    std::function<void(const QString&)> notFound_;
};

} // namespace vandrel
