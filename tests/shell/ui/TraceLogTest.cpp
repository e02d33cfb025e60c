#include "shell/ui/TraceLog.h"

#include "SessionRig.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace vandrel;

namespace {

struct LogFixture : ::testing::Test {
    TempDir cache;
    QPlainTextEdit edit;
    TraceLog log;
    std::vector<QString> notFound;

    void SetUp() override {
        log.attach(&edit);
        log.spill().setFolder(QString::fromStdString(cache.path().string()));
        log.setNotFoundHandler([this](const QString& t) { notFound.push_back(t); });
    }
    QString text() {
        log.flush();
        return edit.toPlainText();
    }
    // The colour of the character at `pos`.
    QColor colourAt(int pos) {
        log.flush();
        QTextCursor c(edit.document());
        c.setPosition(pos + 1);
        return c.charFormat().foreground().color();
    }
    QByteArray saved(TraceLog& from, const char* name) {
        const QString path = QString::fromStdString(cache.file(name));
        EXPECT_TRUE(from.saveText(path));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QStringList spillFiles() const {
        return QDir(QString::fromStdString(cache.path().string()))
            .entryList({QStringLiteral("monitor-log-*")}, QDir::Files);
    }
};

// Text and colour of every character, and where the lines break.
std::vector<std::pair<QString, QColor>> contentOf(const QTextDocument& document) {
    std::vector<std::pair<QString, QColor>> content;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            for (const QChar ch : fragment.text()) {
                content.emplace_back(QString(ch), fragment.charFormat().foreground().color());
            }
        }
        content.emplace_back(QStringLiteral("<end of line>"), QColor());
    }
    return content;
}

// Markers, status lines, dumps and monitor output with every kind of line end, also split
// between two pieces, in several colours.
void writeMixedSession(TraceLog& log, const std::function<void()>& afterEachPiece) {
    const auto piece = [&](const char* text) {
        log.append(QString::fromLatin1(text));
        afterEachPiece();
    };
    const auto line = [&](const char* text, TraceColour colour) {
        log.addLine(text, colour);
        afterEachPiece();
    };
    line("\r\n*** SYSTEM MONITORING STARTED ***", kTraceMarkerColour);
    piece("SYS 1 up\r\nSYS 2 ");
    piece("half\r");
    piece("\nSYS 3 lone CR\rSYS 4 lone LF\n");
    line("Timer timeout!", kTraceStatusColour);
    piece("SYS 5 no line end");
    log.dumpFrame(std::vector<std::uint8_t>{0xA1, 0x02, 0x15, 0x00, 0x48}, FrameDirection::In);
    afterEachPiece();
    piece("\r");
    line("\r\n*** SYSTEM MONITORING STOPPED ***", kTraceMarkerColour);
    piece("\r\n\r\nSYS 6 after two empty lines\r\n");
    for (int i = 7; i < 40; ++i) {
        piece(QStringLiteral("SYS %1 tick\r\n").arg(i).toLatin1().constData());
    }
}

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
        log.clear();
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
    log.flush();
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

TEST_F(LogFixture, FindMovesOnWrapsAroundAndReportsMisses) {
    log.addLine("alpha beta", 0);
    log.addLine("gamma Beta delta", 0);
    log.addLine("beta epsilon", 0);
    QTextCursor c(edit.document());
    c.setPosition(static_cast<int>(text().indexOf("delta")));
    edit.setTextCursor(c);

    // Find next over the three hits, then round again.
    const int hits[] = {28, 6, 17, 28};
    for (const int at : hits) {
        SCOPED_TRACE(at);
        ASSERT_TRUE(log.findText("beta", false, false));
        EXPECT_EQ(edit.textCursor().selectionStart(), at);
        EXPECT_EQ(edit.textCursor().selectedText().toLower(), "beta");
    }
    EXPECT_TRUE(log.findText("Beta", true, false));
    EXPECT_EQ(edit.textCursor().selectionStart(), 17) << "match case";
    EXPECT_TRUE(log.findText("Beta", true, false)) << "the only hit, selected: found again";
    EXPECT_EQ(edit.textCursor().selectionStart(), 17);
    EXPECT_FALSE(log.findText("alp", false, true)) << "whole words only";
    EXPECT_FALSE(log.findText("zeta", false, false));
    EXPECT_EQ(notFound, (std::vector<QString>{"alp", "zeta"}));
}

TEST_F(LogFixture, BatchesReachTheWindowInOneEditAsIfWrittenPieceByPiece) {
    QPlainTextEdit oneByOne;
    TraceLog reference;
    reference.attach(&oneByOne);
    writeMixedSession(reference, [&] { reference.flush(); });

    QSignalSpy edits(edit.document(), &QTextDocument::contentsChange);
    writeMixedSession(log, [] {});
    EXPECT_TRUE(edit.toPlainText().isEmpty()) << "nothing before the batch is due";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !edit.toPlainText().isEmpty(); }, 2000));
    EXPECT_EQ(edits.count(), 1);
    EXPECT_EQ(contentOf(*edit.document()), contentOf(*oneByOne.document()));
    EXPECT_EQ(edit.textCursor().position(), edit.document()->characterCount() - 1)
        << "the view follows the end";
}

TEST_F(LogFixture, SavedLogWithALineLimitEqualsTheUnlimitedOne) {
    QPlainTextEdit unlimitedEdit;
    TraceLog unlimited;
    unlimited.attach(&unlimitedEdit);
    writeMixedSession(unlimited, [] {});

    log.setLineLimit(5);
    // Batches of every size: flushed after every piece, then now and then.
    int pieces = 0;
    writeMixedSession(log, [&] {
        if (++pieces < 12 || pieces % 7 == 0) {
            log.flush();
        }
    });
    EXPECT_EQ(spillFiles().size(), 1);
    EXPECT_EQ(saved(log, "limited.txt"), saved(unlimited, "unlimited.txt"));
    EXPECT_LE(edit.document()->blockCount(), 5);
    EXPECT_TRUE(text().endsWith("SYS 39 tick\n")) << text().toStdString();
    EXPECT_EQ(saved(log, "again.txt"), saved(unlimited, "unlimited.txt")) << "saving keeps";

    // Clearing forgets the lines that left the window too, and their file.
    log.clear();
    EXPECT_TRUE(spillFiles().isEmpty());
    log.addLine("after clearing", 0);
    EXPECT_EQ(saved(log, "cleared.txt"), QByteArray("after clearing\r\n"));
}

TEST_F(LogFixture, SpillFileGoesWithTheLog) {
    {
        QPlainTextEdit window;
        TraceLog shortLived;
        shortLived.attach(&window);
        shortLived.spill().setFolder(QString::fromStdString(cache.path().string()));
        shortLived.setLineLimit(2);
        for (int i = 0; i < 5; ++i) {
            shortLived.addLine("line", 0);
        }
        shortLived.flush();
        EXPECT_EQ(spillFiles().size(), 1);
    }
    EXPECT_TRUE(spillFiles().isEmpty());
}

TEST_F(LogFixture, WithoutASpillFileNoLineLeavesTheWindow) {
    // A plain file where the cache folder should be.
    const QString blocker = QString::fromStdString(cache.file("blocker"));
    QFile(blocker).open(QIODevice::WriteOnly);
    log.spill().setFolder(blocker + QStringLiteral("/cache"));
    log.setLineLimit(3);
    QByteArray expected;
    for (int i = 0; i < 10; ++i) {
        log.addLine(QStringLiteral("line %1").arg(i).toStdString(), 0);
        log.flush();
        expected += QStringLiteral("line %1\r\n").arg(i).toLatin1();
    }
    EXPECT_EQ(edit.document()->blockCount(), 11);
    EXPECT_EQ(saved(log, "all.txt"), expected);
}

TEST_F(LogFixture, FindSearchesOnlyWhatTheWindowHolds) {
    log.setLineLimit(4);
    log.addLine("needle one", 0);
    log.addLine("hay", 0);
    log.flush();
    // The user's selection lies in the first line, which is about to leave the window.
    QTextCursor c(edit.document());
    c.setPosition(0);
    c.setPosition(6, QTextCursor::KeepAnchor);
    edit.setTextCursor(c);
    for (const char* line : {"hay", "hay", "needle two", "hay"}) {
        log.addLine(line, 0);
    }
    log.flush();
    ASSERT_FALSE(text().contains("needle one"));

    EXPECT_FALSE(log.findText("one", false, false)) << "a line that left is not found";
    EXPECT_TRUE(log.findText("needle", false, false));
    EXPECT_EQ(edit.textCursor().selectedText(), "needle");
    EXPECT_EQ(edit.textCursor().block().text(), "needle two");
    EXPECT_TRUE(log.findText("needle", false, false)) << "the only hit shown, found again";
    EXPECT_EQ(edit.textCursor().block().text(), "needle two");
    // A hit in the first line kept, reached by wrapping around from the end.
    edit.moveCursor(QTextCursor::End);
    EXPECT_TRUE(log.findText("hay", false, false));
    EXPECT_EQ(edit.textCursor().blockNumber(), 0);
    EXPECT_EQ(notFound, (std::vector<QString>{"one"}));
}

// The log is the session's protocol trace: every request that carries a password shows its frame
// with the password's bytes as "**", in the window and in the saved log.
TEST_F(LogFixture, PasswordsNeverReachTheLogNorItsFile) {
    rig::SessionRig r;
    r.session.setTrace(&log);
    r.session.setAccessPassword("secret1");
    const std::pair<const char*, std::function<void()>> requests[] = {
        {"reset", [&] { r.session.requestReset(); }},
        {"read", [&] { r.session.requestConfigRead(); }},
        {"write", [&] { r.session.requestConfigWrite(ConfigImage{}); }},
        {"monitor command", [&] { r.session.requestMonitorText("x"); }},
        {"password change", [&] { r.session.requestPasswordChange("newpw77", "secret1"); }},
    };
    for (const auto& [name, send] : requests) {
        SCOPED_TRACE(name);
        log.clear();
        send();
        // Long frames wrap: the bytes are looked at as one run.
        const QString shown = text().replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QByteArray file = saved(log, "log.txt").replace("\r\n", " ");
        for (const QByteArray& where : {shown.toLatin1(), file}) {
            EXPECT_FALSE(where.contains("73 65 63 72 65 74 31")) << "secret1 in hex";
            EXPECT_FALSE(where.contains("6E 65 77 70 77 37 37")) << "newpw77 in hex";
            EXPECT_FALSE(where.contains("secret1"));
            EXPECT_TRUE(where.contains("88 08 ** ** ** ** ** ** ** **")) << where.constData();
        }
        if (std::string(name) == "password change") {
            EXPECT_TRUE(shown.contains("28 08 ** ** ** ** ** ** ** **"));
        }
    }
    r.session.setTrace(nullptr);
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
