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

void TraceLog::attach(QPlainTextEdit* window) {
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

void TraceLog::append(const QString& text) {
    if (!window_ || text.isEmpty()) {
        return;
    }
    QTextCursor cursor(window_->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour_ == kTraceTextColour ? window_->palette().text().color()
                                                     : toQColor(colour_));
    // Line ends arrive as CR LF; the document keeps one paragraph per line.
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    cursor.insertText(normalised, format);
    if (QTextCursor visible = window_->textCursor(); !visible.hasSelection()) {
        visible.movePosition(QTextCursor::End);
        window_->setTextCursor(visible);
    }
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

void TraceLog::dumpFrame(std::span<const std::uint8_t> bytes, FrameDirection direction) {
    setTextColor(direction == FrameDirection::In ? kTraceInColour : kTraceOutColour);
    append(direction == FrameDirection::In ? QStringLiteral(" IN:") : QStringLiteral("OUT:"));
    setTextColor(kTraceTextColour);

    static constexpr char kHex[] = "0123456789ABCDEF";
    QString line;
    line.reserve(charsPerLine_ + 5);
    int column = 4;
    for (std::uint8_t b : bytes) {
        if (column != 0) {
            line += QLatin1Char(' ');
            column += 1;
        }
        line += QLatin1Char(kHex[b >> 4]);
        line += QLatin1Char(kHex[b & 0x0F]);
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
    const QString needle = text.left(kMaxSearchText);
    QTextDocument::FindFlags flags;
    if (matchCase) {
        flags |= QTextDocument::FindCaseSensitively;
    }
    if (wholeWord) {
        flags |= QTextDocument::FindWholeWords;
    }
    QTextDocument* document = window_->document();
    const QTextCursor selection = window_->textCursor();
    const int selectionStart = selection.selectionStart();

    QTextCursor from(document);
    from.setPosition(selectionStart);
    QTextCursor found = needle.isEmpty() ? QTextCursor() : document->find(needle, from, flags);
    if (found.isNull() && !needle.isEmpty()) {
        // Once more from the top, up to where the first search started.
        found = document->find(needle, 0, flags);
        if (!found.isNull() && found.selectionEnd() > selectionStart) {
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

bool TraceLog::saveText(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (window_) {
        const QTextDocument* document = window_->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            QByteArray bytes = block.text().toLatin1();
            if (block.next().isValid()) {
                bytes += "\r\n";
            }
            if (file.write(bytes) != bytes.size()) {
                break;
            }
        }
    }
    return file.commit();
}

} // namespace vandrel
