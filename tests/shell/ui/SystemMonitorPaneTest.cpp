#include "shell/ui/SystemMonitorPane.h"

#include "language/TextIds.h"
#include "protocol/FieldTags.h"

#include "UiTestSupport.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace vandrel;
using namespace vandrel::test;

namespace {

// The pane against a real session whose frames go to a recording channel; the fixture plays the
// window's part, sending what the pane asks for.
struct PaneFixture : ::testing::Test {
    rig::SessionRig r;
    ShippedTexts texts;
    SystemMonitorPane pane{texts.lm};

    PaneFixture() {
        SessionLinks links = r.links();
        links.monitor = &pane;
        r.session.connect(links);
        QObject::connect(&pane, &SystemMonitorPane::monitoringWanted,
                         [this](bool on) { r.session.requestMonitor(on); });
        QObject::connect(
            &pane, &SystemMonitorPane::commandLineWanted,
            [this](const QByteArray& line) { r.session.requestMonitorText(line.toStdString()); });
        QObject::connect(&pane, &SystemMonitorPane::protocolTraceWanted,
                         [this](bool on) { r.session.setTrace(on ? &pane.traceLog() : nullptr); });
        pane.resize(560, 280);
    }
    // What the pane does once the converter's answer has been handled.
    static void settle() { QCoreApplication::processEvents(); }

    template <typename T = QWidget> T* control(const char* name) {
        T* w = pane.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* start() { return control<QPushButton>("ctl1018"); }
    QPushButton* stop() { return control<QPushButton>("ctl1019"); }
    QPushButton* sendButton() { return control<QPushButton>("ctl1020"); }
    QLineEdit* edit() { return control<QLineEdit>("ctl1000"); }
    QString log() {
        pane.traceLog().flush();
        return control<QPlainTextEdit>("ctl1021")->toPlainText();
    }
    // Each line of the log with the colour of its first character.
    std::vector<std::pair<QString, QColor>> colouredLines() {
        pane.traceLog().flush();
        std::vector<std::pair<QString, QColor>> lines;
        const QTextDocument* document = control<QPlainTextEdit>("ctl1021")->document();
        for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
            QTextCursor c(b);
            c.movePosition(QTextCursor::NextCharacter);
            lines.emplace_back(b.text(),
                               b.text().isEmpty() ? QColor() : c.charFormat().foreground().color());
        }
        return lines;
    }
    void output(const std::string& text) {
        r.deliver(kFrameTypePositive, {{tag::MonitorOn, rig::Bytes(text.begin(), text.end())}});
    }

    // The monitor texts the session sent, in order.
    std::vector<std::string> sentTexts() const {
        std::vector<std::string> all;
        for (const rig::Bytes& frame : r.channel.sent) {
            if (std::string t = sentField(frame, tag::MonitorText); !t.empty()) {
                all.push_back(t);
            }
        }
        return all;
    }
    // Start pressed and the converter agrees.
    void switchOn() {
        start()->click();
        r.deliver(kFrameTypePositive, {{tag::MonitorOn, {}}});
        settle();
        ASSERT_TRUE(pane.monitoringOn());
    }
    void answerCommand() { r.deliver(kFrameTypePositive, {{tag::MonitorText, {}}}); }
    void answerOff() { r.deliver(kFrameTypePositive, {{tag::MonitorOff, {}}}); }
    // Buttons and edit as (Start, Stop, Send, edit) enabled.
    std::array<bool, 4> enabling() {
        return {start()->isEnabled(), stop()->isEnabled(), sendButton()->isEnabled(),
                edit()->isEnabled()};
    }
};

TEST_F(PaneFixture, MaskOfTheTickedBoxesGoesOutWhenMonitoringStarts) {
    struct Case {
        std::vector<const char*> ticked;
        std::string command;
    };
    const Case cases[] = {
        {{"ctl1010", "ctl1011"}, "V=11\r\n"},
        {{"ctl1010", "ctl1013", "ctl1014", "ctl1015", "ctl1035", "ctl1011"}, "V=77\r\n"},
        {{}, "V=00\r\n"},
        {{"ctl1015"}, "V=20\r\n"},
        {{"ctl1035"}, "V=40\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        pane.setMonitoring(false);
        for (const auto& box : SystemMonitorPane::kMaskBoxes) {
            control<QCheckBox>(box.objectName)->setChecked(false);
        }
        r.channel.sent.clear();
        for (const char* name : c.ticked) {
            control<QCheckBox>(name)->click();
        }
        EXPECT_TRUE(r.channel.sent.empty()) << "clicks while off send nothing";
        switchOn();
        EXPECT_EQ(sentTexts(), std::vector<std::string>{c.command});
        EXPECT_EQ(pane.maskCommand().toStdString(), c.command);
    }
}

TEST_F(PaneFixture, BoxChangedWhileOnSendsTheNewMask) {
    switchOn();
    answerCommand();
    control<QCheckBox>("ctl1014")->click();
    control<QCheckBox>("ctl1011")->click();
    // Assistive technology toggles a box without a click.
    QAccessible::queryAccessibleInterface(control<QCheckBox>("ctl1010"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(sentTexts(),
              (std::vector<std::string>{"V=00\r\n", "V=04\r\n", "V=14\r\n", "V=15\r\n"}));
}

TEST_F(PaneFixture, ButtonsFollowTheMonitoringState) {
    using E = std::array<bool, 4>;
    EXPECT_EQ(enabling(), (E{true, false, false, false})) << "initially off";
    start()->click();
    EXPECT_EQ(enabling(), (E{true, false, false, false})) << "unchanged until the answer";
    r.deliver(kFrameTypePositive, {{tag::MonitorOn, {}}});
    EXPECT_EQ(enabling(), (E{false, true, true, true}));
    stop()->click();
    answerOff();
    EXPECT_EQ(enabling(), (E{true, false, false, false}));
}

TEST_F(PaneFixture, OutputWhileOffSwitchesTheDisplayOnFirst) {
    const std::string out = "boot ok\r\n";
    pane.appendMonitorText(
        std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
    EXPECT_TRUE(pane.monitoringOn());
    EXPECT_EQ(log(), "\n*** SYSTEM MONITORING STARTED ***\nboot ok\n");
    EXPECT_TRUE(sentTexts().empty()) << "not from inside the converter's answer";
    settle();
    EXPECT_EQ(sentTexts(), std::vector<std::string>{"V=00\r\n"});
    EXPECT_FALSE(start()->isEnabled());
}

TEST_F(PaneFixture, OutputKeepsItsLineEndsAcrossPieces) {
    switchOn();
    for (const std::string piece : {"abc\r", "\ndef", "\r\n", "g"}) {
        pane.appendMonitorText(
            std::span(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()));
    }
    EXPECT_TRUE(log().endsWith("STARTED ***\nabc\ndef\ng")) << log().toStdString();
}

TEST_F(PaneFixture, MarkersAreRedLinesAfterAnEmptyLine) {
    switchOn();
    pane.setMonitoring(false);
    EXPECT_EQ(log(), "\n*** SYSTEM MONITORING STARTED ***\n\n*** SYSTEM MONITORING STOPPED ***\n");
    auto* edit = control<QPlainTextEdit>("ctl1021");
    QTextCursor c(edit->document());
    c.setPosition(static_cast<int>(log().indexOf("STOPPED")) + 1);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
}

TEST_F(PaneFixture, OutputAndMarkersArrivingTogetherKeepTheirOrderAndColours) {
    switchOn();
    output("SYS 1\r\nSYS 2 ");
    output("cont\r");
    output("\nSYS 3\r\n");
    answerOff();
    output("SYS 4 while shown off\r\n");
    output("SYS 5");
    const QColor red(255, 0, 0);
    const QColor text = control<QPlainTextEdit>("ctl1021")->palette().text().color();
    const std::vector<std::pair<QString, QColor>> expected{
        {"", QColor()},
        {"*** SYSTEM MONITORING STARTED ***", red},
        {"SYS 1", text},
        {"SYS 2 cont", text},
        {"SYS 3", text},
        {"", QColor()},
        {"*** SYSTEM MONITORING STOPPED ***", red},
        {"", QColor()},
        {"*** SYSTEM MONITORING STARTED ***", red},
        {"SYS 4 while shown off", text},
        {"SYS 5", text},
    };
    EXPECT_EQ(colouredLines(), expected);
}

TEST_F(PaneFixture, CommandLineOf125CharactersGoesOutWithCrLf) {
    switchOn();
    answerCommand();
    QTest::keyClicks(edit(), QString(130, QLatin1Char('x')));
    EXPECT_EQ(edit()->text().size(), 125);
    sendButton()->click();
    const std::string expected = std::string(125, 'x') + "\r\n";
    EXPECT_EQ(sentTexts().back(), expected);
    EXPECT_EQ(sentTexts().back().size(), 127u);
    // The main window clears the field after the converter's answer; switching off clears it too.
    pane.clearCommandField();
    EXPECT_TRUE(edit()->text().isEmpty());
    edit()->setText("m 1");
    pane.setMonitoring(false);
    EXPECT_TRUE(edit()->text().isEmpty());
}

TEST_F(PaneFixture, ReturnSendsAndUpDownWalkTheHistory) {
    switchOn();
    for (const char* line : {"first", "second"}) {
        answerCommand();
        edit()->setText(line);
        QTest::keyClick(edit(), Qt::Key_Return);
        pane.clearCommandField();
    }
    EXPECT_EQ(sentTexts().back(), "second\r\n");
    QTest::keyClicks(edit(), "dra");
    const std::pair<Qt::Key, const char*> walk[] = {
        {Qt::Key_Up, "second"},   {Qt::Key_Up, "first"}, {Qt::Key_Up, "first"},
        {Qt::Key_Down, "second"}, {Qt::Key_Down, "dra"}, {Qt::Key_Down, "dra"},
    };
    for (const auto& [key, shown] : walk) {
        QTest::keyClick(edit(), key);
        EXPECT_EQ(edit()->text(), shown);
    }
}

TEST_F(PaneFixture, ProtocolTraceSwitchAsksForTheLogAsTheSessionsTrace) {
    auto* trace = control<QCheckBox>("ctl1040");
    EXPECT_EQ(trace->text(), texts.text(text::MonitorProtocolTrace));
    QSignalSpy asked(&pane, &SystemMonitorPane::protocolTraceWanted);
    trace->click();
    EXPECT_TRUE(pane.protocolTraceOn());
    start()->click();
    EXPECT_TRUE(log().contains("OUT: A1")) << log().toStdString();
    trace->click();
    EXPECT_FALSE(pane.protocolTraceOn());
    ASSERT_EQ(asked.count(), 2);
    EXPECT_EQ(asked[0][0].toBool(), true);
    EXPECT_EQ(asked[1][0].toBool(), false);
    const QString before = log();
    stop()->click();
    EXPECT_EQ(log(), before);
}

TEST_F(PaneFixture, ResizingGrowsTheLogAndMovesTheControlsAround) {
    pane.show();
    QCoreApplication::processEvents();
    auto geometry = [this](const char* name) { return control(name)->geometry(); };
    const char* names[] = {"ctl1018", "ctl1019", "ctl1021", "ctl1000", "ctl1020", "ctl1003"};
    std::map<std::string, QRect> before;
    for (const char* n : names) {
        before[n] = geometry(n);
    }
    pane.resize(pane.width() + 200, pane.height() + 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(geometry("ctl1018"), before["ctl1018"]);
    EXPECT_EQ(geometry("ctl1019"), before["ctl1019"]);
    EXPECT_EQ(geometry("ctl1021").topLeft(), before["ctl1021"].topLeft());
    EXPECT_EQ(geometry("ctl1021").size(), before["ctl1021"].size() + QSize(200, 150));
    EXPECT_EQ(geometry("ctl1000").width(), before["ctl1000"].width() + 200);
    EXPECT_EQ(geometry("ctl1000").y(), before["ctl1000"].y() + 150);
    EXPECT_EQ(geometry("ctl1020").topLeft(), before["ctl1020"].topLeft() + QPoint(200, 150));
    EXPECT_EQ(geometry("ctl1003").topLeft(), before["ctl1003"].topLeft() + QPoint(200, 0));
}

TEST_F(PaneFixture, TextsComeFromTheLanguageAndFollowASwitch) {
    EXPECT_EQ(start()->text(), texts.text(text::MonitorStart));
    EXPECT_EQ(control<QCheckBox>("ctl1011")->text(), texts.text(text::MonitorMask10));
    EXPECT_TRUE(start()->toolTip().isEmpty());
    ASSERT_TRUE(texts.lm.Load(2));
    pane.retranslate();
    EXPECT_EQ(start()->text(), texts.text(text::MonitorStart));
    EXPECT_EQ(sendButton()->text(), texts.text(text::MonitorSend));
    EXPECT_NE(sendButton()->text(), QString("Send")) << "German differs";
}

TEST_F(PaneFixture, SearchMissShowsTheNotFoundMessage) {
    switchOn();
    EXPECT_FALSE(pane.traceLog().findText("nowhere", false, false));
    ASSERT_EQ(texts.prompter.messages.size(), 1u);
    EXPECT_EQ(texts.prompter.messages[0].text,
              texts.text(text::SearchNotFoundFormat).replace("%s", "nowhere"));
    EXPECT_EQ(texts.prompter.messages[0].title, texts.text(text::SearchCaption));
}

TEST_F(PaneFixture, Screenshot) {
    switchOn();
    const std::string out = "System monitor v2\r\nline state: idle\r\n";
    pane.appendMonitorText(
        std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
    control<QCheckBox>("ctl1010")->setChecked(true);
    edit()->setText("m 1");
    saveScreenshot(pane, "MonitorPane");
}

} // namespace
