// The window follows the converter's port as it goes and comes back: the status bar, the
// monitoring the user switched on, and command lines typed while the port is away.
#include "AppRig.h"
#include "ManualTimers.h"

#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/app/StatusPanes.h"
#include "shell/ui/ChangePasswordDialog.h"
#include "shell/ui/SystemMonitorPane.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace vandrel;

namespace {

class LinkState : public AppRig {
protected:
    bool stableLink() const override { return true; }

    QString linkStatus(MainFrame& frame) { return frame.statusPanes()->text(1); }
    QString monitorStatus(MainFrame& frame) { return frame.statusPanes()->text(2); }

    // The monitor tab in front and monitoring switched on by its Start button.
    SystemMonitorPane& startMonitoring(MainFrame& frame) {
        frame.command(cmd::MonitorTab);
        frame.command(cmd::NextTab);
        SystemMonitorPane& pane = *frame.monitorPane();
        pane.findChild<QPushButton*>(QStringLiteral("ctl1018"))->click();
        EXPECT_TRUE(waitFor([&] { return pane.monitoringOn() && !frame.busy(); }));
        return pane;
    }
    unsigned monitorRequests() {
        return withModel([](auto& m) { return m.framesReceived(sim::RequestKind::MonitorOn); });
    }
    qsizetype logLength(SystemMonitorPane& pane) {
        pane.traceLog().flush();
        return pane.findChild<QPlainTextEdit*>(QStringLiteral("ctl1021"))->toPlainText().size();
    }
};

// The link field follows the port by itself: no user action, no request needed. The bound is a
// generous ceiling for a change the channel reports at once.
constexpr int kFollowMs = 3000;

TEST_F(LinkState, TheStatusFollowsAnUnplugAndAReplugWhileIdle) {
    MainFrame& frame = openWindow();
    ASSERT_TRUE(waitFor([&] { return linkStatus(frame) == text(text::StatusLinkReady); }));
    ASSERT_TRUE(converter->unplug());
    EXPECT_TRUE(
        waitFor([&] { return linkStatus(frame) == text(text::StatusLinkClosed); }, kFollowMs));
    ASSERT_TRUE(converter->replug());
    EXPECT_TRUE(
        waitFor([&] { return linkStatus(frame) == text(text::StatusLinkReady); }, kFollowMs));
    EXPECT_TRUE(prompter.messages.empty()) << "an idle window has nothing to tell";
}

TEST_F(LinkState, MonitoringComesBackAfterAReplugAndALineTypedMeanwhileIsRefused) {
    MainFrame& frame = openWindow();
    SystemMonitorPane& pane = startMonitoring(frame);
    EXPECT_EQ(monitorStatus(frame), text(text::StatusMonitorOn));
    const unsigned requestsBefore = monitorRequests();

    ASSERT_TRUE(converter->unplug());
    ASSERT_TRUE(
        waitFor([&] { return linkStatus(frame) == text(text::StatusLinkClosed); }, kFollowMs));
    EXPECT_EQ(monitorStatus(frame), text(text::StatusMonitorOff))
        << "nothing is monitored while the port is away";

    // A line typed now does not vanish: the user hears that it was not sent.
    auto* edit = pane.findChild<QLineEdit*>(QStringLiteral("ctl1000"));
    ASSERT_TRUE(edit->isEnabled());
    edit->setText(QStringLiteral("status"));
    pane.findChild<QPushButton*>(QStringLiteral("ctl1020"))->click();
    ASSERT_TRUE(waitShown(text::CommandNotSent));
    EXPECT_EQ(prompter.shownParents.back(), &frame);

    ASSERT_TRUE(converter->replug());
    // The converter is asked to monitor again and its text goes on arriving in the log.
    ASSERT_TRUE(waitFor([&] { return monitorRequests() > requestsBefore; }, kWaitMs));
    ASSERT_TRUE(waitFor([&] { return monitorStatus(frame) == text(text::StatusMonitorOn); }));
    const qsizetype length = logLength(pane);
    EXPECT_TRUE(waitFor([&] { return logLength(pane) > length; }));
    EXPECT_TRUE(withModel([](auto& m) { return m.monitoring(); }));
}

TEST_F(LinkState, MonitoringTheUserStoppedStaysOffAfterAReplug) {
    MainFrame& frame = openWindow();
    SystemMonitorPane& pane = startMonitoring(frame);
    prompter.answers.push_back(ResultNo); // save the log?
    pane.findChild<QPushButton*>(QStringLiteral("ctl1019"))->click();
    ASSERT_TRUE(waitFor([&] { return !pane.monitoringOn() && !frame.busy(); }));
    const unsigned requestsBefore = monitorRequests();
    ASSERT_TRUE(converter->unplug());
    ASSERT_TRUE(
        waitFor([&] { return linkStatus(frame) == text(text::StatusLinkClosed); }, kFollowMs));
    ASSERT_TRUE(converter->replug());
    ASSERT_TRUE(
        waitFor([&] { return linkStatus(frame) == text(text::StatusLinkReady); }, kFollowMs));
    QTest::qWait(300);
    EXPECT_EQ(monitorRequests(), requestsBefore);
    EXPECT_EQ(monitorStatus(frame), text(text::StatusMonitorOff));
}

// The user's stop, confirmed by the converter, offers to save the log; a stop by a restart or a
// failure does not.
TEST_F(LinkState, OnlyTheUsersStopOffersToSaveTheLog) {
    MainFrame& frame = openWindow();
    SystemMonitorPane& pane = startMonitoring(frame);
    prompter.answers.push_back(ResultNo);
    pane.findChild<QPushButton*>(QStringLiteral("ctl1019"))->click();
    ASSERT_TRUE(waitShown(text::SaveLogQuestion));
    EXPECT_EQ(prompter.shownParents.back(), &frame);
    prompter.messages.clear();

    pane.findChild<QPushButton*>(QStringLiteral("ctl1018"))->click();
    ASSERT_TRUE(waitFor([&] { return pane.monitoringOn() && !frame.busy(); }));
    withModel([](auto& m) {
        m.restart();
        return 0;
    });
    ASSERT_TRUE(waitFor([&] { return !pane.monitoringOn(); }));
    ASSERT_TRUE(waitFor([&] { return !frame.busy(); }));
    EXPECT_FALSE(shown(text::SaveLogQuestion));
}

} // namespace

namespace {

class PasswordChangeUnderABox : public AppRig {};

// The change goes unanswered, the dialog tells so in a box; while that box is still open the
// converter comes back with a restart, which ends the dialog. When the box is closed, nothing of
// the dialog is touched (the sanitizer build checks it), and the window is usable.
TEST_F(PasswordChangeUnderABox, TheDialogEndsUnderItsOwnBoxAndNothingIsLeft) {
    ManualTimerService clock;
    core->timers = &clock;
    MainFrame& frame = openWindow();
    withModel([](auto& m) {
        sim::FaultSettings faults;
        faults.line.dropInEvery = 1; // the converter hears nothing
        m.setFaults(faults);
        return 0;
    });
    prompter.holdShown = true;
    frame.command(cmd::AccessPassword);
    ChangePasswordDialog* dialog = frame.gateway().changePasswordDialog();
    ASSERT_NE(dialog, nullptr);
    QPointer<ChangePasswordDialog> watched(dialog);
    dialog->findChild<QLineEdit*>(QStringLiteral("ctl1000"))->setText(QStringLiteral("old"));
    dialog->findChild<QLineEdit*>(QStringLiteral("ctl1007"))->setText(QStringLiteral("new"));
    dialog->findChild<QLineEdit*>(QStringLiteral("ctl1022"))->setText(QStringLiteral("new"));
    dialog->findChild<QPushButton*>(QStringLiteral("ctl1"))->click();
    ASSERT_TRUE(waitFor([&] { return dialog->isWaiting(); }));
    for (int send = 0; send < 4; ++send) {
        clock.advance(kResponseTimeoutMs);
    }
    ASSERT_TRUE(waitShown(text::NoAnswer)) << "the dialog tells of the give-up";

    withModel([](auto& m) {
        m.setFaults({});
        m.restart();
        return 0;
    });
    ASSERT_TRUE(waitFor([&] { return watched.isNull(); })) << "the restart ended the dialog";
    prompter.releaseShown(); // the box is closed only now
    QCoreApplication::processEvents();
    ASSERT_TRUE(waitFor([&] { return !frame.busy(); }));
    EXPECT_EQ(frame.gateway().changePasswordDialog(), nullptr);
    EXPECT_TRUE(frame.menuAction(cmd::AccessPassword)->isEnabled());
}

} // namespace
