#include "shell/ui/TraceLog.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vandrel {
namespace {

QFont sharedLogFont() {
    static const QFont font = [] {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSize(10);
        return f;
    }();
    return font;
}

} // namespace

TraceLog::TraceLog() {
    batchTimer_.setSingleShot(true);
    batchTimer_.setTimerType(Qt::PreciseTimer); // a coarse one may come up to 5 % late
    batchTimer_.setInterval(kBatchMs);
    QObject::connect(&batchTimer_, &QTimer::timeout, [this] { flush(); });
}

TraceLog::~TraceLog() = default;

void TraceLog::attach(QPlainTextEdit* window) {
    flush();
    window_ = window;
    if (window_) {
        window_->setReadOnly(true);
        window_->setUndoRedoEnabled(false);
        window_->setLineWrapMode(QPlainTextEdit::NoWrap);
        window_->setCenterOnScroll(false);
    }
}

void TraceLog::attachFont() {
    if (!window_) {
        return;
    }
    window_->setFont(sharedLogFont());
    const QFontMetrics metrics(window_->font());
    const int zeroWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int desktopWidth = screen ? screen->geometry().width() : 0;
    if (desktopWidth > 0) {
        setCharsPerLine(desktopWidth / zeroWidth);
    }
}

QColor TraceLog::toQColor(TraceColour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

void TraceLog::setTextColor(TraceColour colour) {
    colour_ = colour;
}

void TraceLog::setLineLimit(int lines) {
    lineLimit_ = std::max(0, lines);
    retrySpillAt_ = 0;
    flush();
    trim();
}

void TraceLog::append(const QString& text) {
    if (!window_ || text.isEmpty()) {
        return;
    }
    // The window makes a line end of CR LF, of CR and of LF alike; as single LFs, pieces of
    // text can be joined without a CR at the end of one and an LF at the start of the next
    // becoming one line end.
    QString piece = text;
    piece.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    piece.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!pending_.empty() && pending_.back().colour == colour_) {
        pending_.back().text += piece;
    } else {
        pending_.push_back(Run{std::move(piece), colour_});
    }
    pendingChars_ += text.size();
    if (pendingChars_ >= kMaxBatchChars) {
        flush();
    } else if (!batchTimer_.isActive()) {
        batchTimer_.start();
    }
}

void TraceLog::flush() {
    batchTimer_.stop();
    if (pending_.empty()) {
        return;
    }
    std::vector<Run> runs;
    runs.swap(pending_);
    pendingChars_ = 0;
    if (!window_) {
        return;
    }
    QTextCursor cursor(window_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const Run& run : runs) {
        QTextCharFormat format;
        format.setForeground(run.colour == kTraceTextColour ? window_->palette().text().color()
                                                            : toQColor(run.colour));
        cursor.insertText(run.text, format);
    }
    cursor.endEditBlock();
    // Apart from the insertion: one edit over both ends would lay out every line in between.
    trim();
    if (QTextCursor visible = window_->textCursor(); !visible.hasSelection()) {
        visible.movePosition(QTextCursor::End);
        window_->setTextCursor(visible);
    }
}

void TraceLog::trim() {
    if (lineLimit_ <= 0 || !window_) {
        return;
    }
    QTextDocument* document = window_->document();
    const int count = document->blockCount();
    if (count <= lineLimit_ || count < retrySpillAt_) {
        return;
    }
    const QTextBlock firstKept = document->findBlockByNumber(count - lineLimit_);
    QByteArray leaving;
    for (QTextBlock block = document->begin(); block != firstKept; block = block.next()) {
        leaving += block.text().toLatin1();
        leaving += "\r\n";
    }
    if (!spill_.append(leaving)) {
        // Nothing is dropped that a save could not write; try again a good while later.
        retrySpillAt_ = count + std::max(1, lineLimit_ / 10);
        return;
    }
    retrySpillAt_ = 0;
    QTextCursor cursor(document);
    cursor.setPosition(firstKept.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TraceLog::clear() {
    batchTimer_.stop();
    pending_.clear();
    pendingChars_ = 0;
    if (window_) {
        window_->clear();
    }
    spill_.clear();
    retrySpillAt_ = 0;
}

void TraceLog::addTextLine(const QString& text, TraceColour colour) {
    setTextColor(colour);
    append(text);
    append(QStringLiteral("\r\n"));
    setTextColor(kTraceTextColour);
}

void TraceLog::addLine(std::string_view text, TraceColour colour) {
    addTextLine(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())), colour);
}

void TraceLog::dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection direction,
                         const HiddenBytes& hidden) {
    setTextColor(direction == FrameDirection::In ? kTraceInColour : kTraceOutColour);
    append(direction == FrameDirection::In ? QStringLiteral(" IN:") : QStringLiteral("OUT:"));
    setTextColor(kTraceTextColour);

    static constexpr char kHex[] = "0123456789ABCDEF";
    QString line;
    line.reserve(charsPerLine_ + 5);
    int column = 4;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (column != 0) {
            line += QLatin1Char(' ');
            column += 1;
        }
        if (i < hidden.size() && hidden.test(i)) {
            line += QLatin1String("**");
        } else {
            line += QLatin1Char(kHex[bytes[i] >> 4]);
            line += QLatin1Char(kHex[bytes[i] & 0x0F]);
        }
        column += 2;
        if (column >= charsPerLine_) {
            line += QLatin1String("\r\n");
            append(line);
            line.clear();
            column = 0;
        }
    }
    if (column != 0) {
        line += QLatin1String("\r\n");
        append(line);
    }
}

bool TraceLog::findText(const QString& text, bool matchCase, bool wholeWord) {
    if (!window_) {
        return false;
    }
    flush();
    const QString needle = text.left(kMaxSearchText);
    QTextDocument::FindFlags flags;
    if (matchCase) {
        flags |= QTextDocument::FindCaseSensitively;
    }
    if (wholeWord) {
        flags |= QTextDocument::FindWholeWords;
    }
    QTextDocument* document = window_->document();
    // From the end of the selection, so that a hit that is selected is passed over.
    const int from = window_->textCursor().selectionEnd();
    QTextCursor found = needle.isEmpty() ? QTextCursor() : document->find(needle, from, flags);
    if (found.isNull() && !needle.isEmpty()) {
        // Once more from the top, up to where the first search started.
        found = document->find(needle, 0, flags);
        if (!found.isNull() && found.selectionEnd() > from) {
            found = QTextCursor();
        }
    }
    if (found.isNull()) {
        if (notFound_) {
            notFound_(needle);
        }
        return false;
    }
    window_->setTextCursor(found);
    return true;
}

bool TraceLog::saveText(const QString& path) {
    flush();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    bool written = spill_.copyTo(file);
    if (written && window_) {
        const QTextDocument* document = window_->document();
        QByteArray bytes;
        for (QTextBlock block = document->begin(); block.isValid() && written;
             block = block.next()) {
            bytes += block.text().toLatin1();
            if (block.next().isValid()) {
                bytes += "\r\n";
            }
            if (bytes.size() >= 64 * 1024 || !block.next().isValid()) {
                written = file.write(bytes) == bytes.size();
                bytes.clear();
            }
        }
    }
    if (!written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vandrel
