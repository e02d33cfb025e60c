#include "shell/ui/TraceLog.h"

#include "TempDir.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <vector>

using namespace vandrel;

namespace {

struct LogFixture : ::testing::Test {
    QPlainTextEdit edit;
    TraceLog log;
    std::vector<QString> notFound;

    void SetUp() override {
        log.attach(&edit);
        log.setNotFoundHandler([this](const QString& t) { notFound.push_back(t); });
    }
    QString text() const { return edit.toPlainText(); }
    // The colour of the character at `pos`.
    QColor colourAt(int pos) const {
        QTextCursor c(edit.document());
        c.setPosition(pos + 1);
        return c.charFormat().foreground().color();
    }
};

} // namespace

TEST_F(LogFixture, DumpOfASentAndAReceivedFrame) {
    const std::vector<std::uint8_t> frame{0xA1, 0x02, 0x15, 0x00, 0x48};
    log.dumpFrame(frame, FrameDirection::Out);
    log.dumpFrame(frame, FrameDirection::In);
    EXPECT_EQ(text(), "OUT: A1 02 15 00 48\n IN: A1 02 15 00 48\n");
    EXPECT_EQ(colourAt(0), QColor(0, 0, 255)) << "OUT prefix blue";
    EXPECT_EQ(colourAt(5), edit.palette().text().color());
    EXPECT_EQ(colourAt(20), QColor(255, 0, 0)) << "IN prefix red";
}

TEST_F(LogFixture, DumpWrapsAtCharsPerLine) {
    struct Case {
        int charsPerLine;
        int count;
        std::vector<int> lineLengths;
    };
    const std::vector<Case> cases{
        {40, 30, {40, 41, 11}}, // prefix + 12 bytes, 14 bytes, 4 bytes
        {40, 12, {40}},         // the last byte reaches the width exactly: no empty line after
        {40, 0, {4}},           // the prefix alone
        {140, 5, {19}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        edit.clear();
        log.setCharsPerLine(c.charsPerLine);
        log.dumpFrame(std::vector<std::uint8_t>(static_cast<std::size_t>(c.count), 0xAB),
                      FrameDirection::Out);
        QStringList lines = text().split('\n');
        ASSERT_EQ(lines.takeLast(), QString()) << "every dump ends with one line end";
        std::vector<int> lengths;
        for (const QString& l : lines) {
            lengths.push_back(static_cast<int>(l.size()));
        }
        EXPECT_EQ(lengths, c.lineLengths);
        if (lines.size() > 1) {
            EXPECT_TRUE(lines[1].startsWith("AB")) << "wrapped lines start at the margin";
        }
    }
}

TEST_F(LogFixture, LinesAppendAtTheEndInTheirColour) {
    log.addLine("Timer timeout!", kTraceStatusColour);
    log.addFormattedLine(kTraceStatusColour, "Read configuration data (packet:%d)", 4);
    // A user selection does not move where the log writes.
    QTextCursor c(edit.document());
    c.setPosition(2);
    c.setPosition(5, QTextCursor::KeepAnchor);
    edit.setTextCursor(c);
    log.addTextLine(QStringLiteral("--- end ---"), kTraceMarkerColour);
    EXPECT_EQ(text(), "Timer timeout!\nRead configuration data (packet:4)\n--- end ---\n");
    EXPECT_EQ(colourAt(0), QColor(0, 0x80, 0x80));
    EXPECT_EQ(colourAt(static_cast<int>(text().indexOf("---"))), QColor(255, 0, 0));
    log.append("x");
    EXPECT_EQ(colourAt(static_cast<int>(text().size()) - 1), edit.palette().text().color())
        << "the colour is back to the text colour after a line";
}

TEST_F(LogFixture, FindWrapsAroundAndReportsMisses) {
    log.addLine("alpha beta", 0);
    log.addLine("gamma Beta delta", 0);
    QTextCursor c(edit.document());
    c.setPosition(static_cast<int>(text().indexOf("delta")));
    edit.setTextCursor(c);

    EXPECT_TRUE(log.findText("beta", true, false)) << "only before the selection: wraps around";
    EXPECT_EQ(edit.textCursor().selectionStart(), 6);
    EXPECT_TRUE(log.findText("beta", false, false));
    EXPECT_EQ(edit.textCursor().selectedText(), "beta") << "search starts at the selection";
    edit.moveCursor(QTextCursor::Start);
    EXPECT_TRUE(log.findText("beta", false, false));
    EXPECT_TRUE(log.findText("BETA", false, false));
    EXPECT_FALSE(log.findText("alp", false, true)) << "whole words only";
    EXPECT_FALSE(log.findText("epsilon", false, false));
    EXPECT_EQ(notFound, (std::vector<QString>{"alp", "epsilon"}));
}

TEST_F(LogFixture, SaveReplacesTheFileWithCrLfText) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("log.txt"));
    log.addLine("first line", 0);
    log.dumpFrame(std::vector<std::uint8_t>{0x7E}, FrameDirection::In);
    ASSERT_TRUE(log.saveText(path));
    ASSERT_TRUE(log.saveText(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("first line\r\n IN: 7E\r\n"));
    EXPECT_FALSE(log.saveText(QString::fromStdString(dir.file("no/such/dir/log.txt"))));
}
