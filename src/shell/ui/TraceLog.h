#pragma once

#include "protocol/SessionInterfaces.h"
#include "shell/ui/LogSpill.h"

#include <QColor>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class QPlainTextEdit;

namespace vandrel {

// The coloured text log of the monitor pane: protocol status lines, hex dumps of frames, the
// pane's markers and the converter's monitor output. Every insertion is an append at the end,
// whatever the user has selected.
//
// Text arriving in quick succession is gathered and reaches the window in one edit at most
// kBatchMs later (the view then scrolls once): a converter sending hundreds of lines a second
// would otherwise cost one insertion, layout and scroll per line. With a line limit the window
// keeps only the newest lines; older ones move to a spill file, so a save still writes the whole
// log, byte for byte as if nothing had left the window.
class TraceLog : public TraceSink {
public:
    static constexpr int kDefaultCharsPerLine = 140;
    static constexpr int kMaxSearchText = 127;
    static constexpr int kBatchMs = 50;
    // Gathered text beyond this goes in at once, whatever the timer.
    static constexpr qsizetype kMaxBatchChars = 64 * 1024;

    TraceLog();
    ~TraceLog() override;

    // The control the log writes into; the log does not own it.
    void attach(QPlainTextEdit* window);
    QPlainTextEdit* window() const { return window_; }
    // Gives the control the shared fixed-pitch font and derives the dump width from it.
    void attachFont();
    int charsPerLine() const { return charsPerLine_; }
    void setCharsPerLine(int chars) { charsPerLine_ = chars > 0 ? chars : 1; }

    // The most lines the window keeps (0: no limit). Lines beyond it leave the window, oldest
    // first, for the spill file.
    void setLineLimit(int lines);
    int lineLimit() const { return lineLimit_; }
    LogSpill& spill() { return spill_; }

    // Black in 0xBBGGRR is shown as the palette's text colour, so dark themes stay readable.
    void setTextColor(TraceColour colour);
    void append(const QString& text);
    // Puts the gathered text into the window now.
    void flush();
    // Empties the window, the gathered text and the spill file.
    void clear();

    void addLine(std::string_view text, TraceColour colour) override;
    void addTextLine(const QString& text, TraceColour colour);
    // Hidden bytes (passwords) are shown as "**".
    void dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection direction,
                   const HiddenBytes& hidden = {}) override;

    // Searches what the window holds, down from the end of the selection, then once from the
    // top, so that repeating a search moves on to the next hit; selects and answers true when
    // found, otherwise calls the not-found handler with the search text.
    bool findText(const QString& text, bool matchCase, bool wholeWord);
    void setNotFoundHandler(std::function<void(const QString&)> handler) {
        notFound_ = std::move(handler);
    }

    // Writes the whole log, the lines that left the window first, as plain text with CR LF line
    // ends, replacing the file; false when the file could not be written completely (it is
    // then left as it was).
    bool saveText(const QString& path);

    static QColor toQColor(TraceColour colour);

private:
    // Text of one colour waiting for the window; its line ends are single '\n's, so runs can be
    // joined without two line ends merging into one.
    struct Run {
        QString text;
        TraceColour colour;
    };

    void trim();

    QPlainTextEdit* window_ = nullptr;
    int charsPerLine_ = kDefaultCharsPerLine;
    TraceColour colour_ = kTraceTextColour;
    std::function<void(const QString&)> notFound_;

    std::vector<Run> pending_;
    qsizetype pendingChars_ = 0;
    QTimer batchTimer_;

    int lineLimit_ = 0;
    LogSpill spill_;
    // After the spill file failed, lines stay in the window until it holds this many.
    int retrySpillAt_ = 0;
};

} // namespace vandrel
