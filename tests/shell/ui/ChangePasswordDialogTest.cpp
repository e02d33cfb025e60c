#include "shell/ui/ChangePasswordDialog.h"
#include "shell/ui/PasswordDialog.h"

#include "language/TextIds.h"
#include "protocol/FieldTags.h"

#include "UiTestSupport.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vandrel;
using namespace vandrel::test;

namespace {

// The dialog against a real session whose frames go to a recording channel; the fixture plays
// the window's part: it starts the change the dialog asks for and reports how it ended.
struct ChangeFixture : ::testing::Test {
    rig::SessionRig r;
    ShippedTexts texts;
    ChangePasswordDialog dialog{texts.lm, texts.prompter};

    ChangeFixture() {
        QObject::connect(
            &dialog, &ChangePasswordDialog::changeRequested,
            [this](const QByteArray& fresh, const QByteArray& current) {
                if (r.session.requestPasswordChange(fresh.toStdString(), current.toStdString())) {
                    dialog.waitForConverter();
                }
            });
    }

    QLineEdit* edit(const char* name) { return dialog.findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    void type(const QString& current, const QString& fresh, const QString& repeat) {
        edit("ctl1000")->setText(current);
        edit("ctl1007")->setText(fresh);
        edit("ctl1022")->setText(repeat);
    }
    std::vector<bool> enabled() {
        return {edit("ctl1000")->isEnabled(), edit("ctl1007")->isEnabled(),
                edit("ctl1022")->isEnabled(), button("ctl1")->isEnabled(),
                button("ctl2")->isEnabled()};
    }
    // What the window does with the end of the change.
    void handleResult() {
        ASSERT_TRUE(r.host.lastResult());
        const OperationResult ended = *r.host.lastResult();
        ASSERT_EQ(ended.kind, OperationKind::PasswordChange);
        if (ended.ok()) {
            dialog.passwordAccepted();
        } else if (ended.outcome == Outcome::PasswordRefused) {
            dialog.passwordRefused(ChangePasswordDialog::kWrongPassword,
                                   QString::fromStdString(ended.status));
        } else {
            dialog.passwordRefused(result::Failed, QString::fromStdString(ended.status));
        }
    }
    std::string sent(std::uint8_t tag) const { return sentField(r.channel.sent.back(), tag); }
};

const std::vector<bool> kAllEnabled(5, true);
const std::vector<bool> kAllDisabled(5, false);

TEST_F(ChangeFixture, DifferentRepetitionIsReportedAndNothingSent) {
    type("old", "new1", "new2");
    button("ctl1")->click();
    ASSERT_EQ(texts.prompter.messages.size(), 1u);
    EXPECT_EQ(texts.prompter.messages[0].text, texts.text(text::NewPasswordsDiffer));
    EXPECT_EQ(texts.prompter.messages[0].title, texts.text(text::CaptionError));
    EXPECT_EQ(texts.prompter.messages[0].style.icon, MessageIcon::Warning);
    EXPECT_TRUE(edit("ctl1007")->text().isEmpty());
    EXPECT_TRUE(edit("ctl1022")->text().isEmpty());
    EXPECT_EQ(edit("ctl1000")->text(), "old");
    EXPECT_EQ(dialog.focusWidget(), edit("ctl1007"));
    EXPECT_TRUE(r.channel.sent.empty());
    EXPECT_FALSE(dialog.isWaiting());
}

TEST_F(ChangeFixture, AcceptedChangeEndsWithOk) {
    dialog.show();
    type("old", "secret", "secret");
    button("ctl1")->click();
    EXPECT_EQ(sent(tag::NewPassword), std::string("secret\0", 7));
    EXPECT_TRUE(dialog.isWaiting());
    EXPECT_EQ(enabled(), kAllDisabled);
    EXPECT_EQ(dialog.cursor().shape(), Qt::WaitCursor);
    saveScreenshot(dialog, "ChangePasswordDialogWaiting");
    dialog.reject(); // Escape or the close box while waiting
    EXPECT_TRUE(dialog.isVisible());

    r.deliver(kFrameTypePositive, {{tag::NewPassword, {}}});
    handleResult();
    EXPECT_TRUE(dialog.isDone());
    EXPECT_TRUE(dialog.isVisible()) << "ends after the caller has returned";
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.newPassword(), "secret");
}

TEST_F(ChangeFixture, RefusalsAreReportedAndTheDialogIsReadyAgain) {
    struct Case {
        const char* name;
        std::uint8_t status; // 0: the converter never answers
        int message;
        const char* focus;
        bool currentCleared;
    };
    const Case cases[] = {
        {"wrong current password", kStatusAccessDenied, text::CurrentPasswordWrong, "ctl1000",
         true},
        {"other refusal", 0x05, text::DeviceRefusedFormat, "ctl2", false},
        {"no answer", 0, text::NoAnswer, "ctl2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        texts.prompter.messages.clear();
        r.channel.sent.clear();
        r.host.posted.clear();
        type("old", "secret", "secret");
        button("ctl1")->click();
        // The session re-sends the change it took until it gives up.
        if (c.status != 0) {
            for (int i = 0; i < 4; ++i) {
                r.deliver(kFrameTypeNegative, {{tag::Status, {c.status}}});
            }
            EXPECT_EQ(sent(tag::Password), std::string("old\0", 4)) << "re-sent unchanged";
            handleResult();
        } else {
            r.clock.runUntilIdle();
            ASSERT_EQ(r.host.last()->first, SessionProgress::GaveUp);
            dialog.passwordRefused(ChangePasswordDialog::kNoAnswer, {});
        }
        ASSERT_EQ(texts.prompter.messages.size(), 1u);
        // Shown over the dialog, without a loop of its own.
        ASSERT_FALSE(texts.prompter.shownParents.empty());
        EXPECT_EQ(texts.prompter.shownParents.back(), &dialog);
        QString expected = texts.text(c.message);
        expected.replace("%s", QString::fromStdString(r.session.resultHex()));
        EXPECT_EQ(texts.prompter.messages[0].text, expected);
        EXPECT_EQ(texts.prompter.messages[0].title, texts.text(text::CaptionError));
        EXPECT_EQ(texts.prompter.messages[0].style.icon, MessageIcon::Warning);
        EXPECT_EQ(enabled(), kAllEnabled);
        EXPECT_FALSE(dialog.isWaiting());
        EXPECT_FALSE(dialog.isDone());
        EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QWidget*>(c.focus));
        EXPECT_EQ(edit("ctl1000")->text().isEmpty(), c.currentCleared);
        EXPECT_EQ(edit("ctl1007")->text(), "secret");
        EXPECT_EQ(edit("ctl1022")->text(), "secret");
    }
}

TEST_F(ChangeFixture, LinkThatCannotOpenLeavesTheDialogReady) {
    r.host.linkAnswer = 0;
    type("old", "secret", "secret");
    button("ctl1")->click();
    EXPECT_TRUE(r.channel.sent.empty());
    EXPECT_FALSE(dialog.isWaiting());
    EXPECT_EQ(enabled(), kAllEnabled);
}

TEST_F(ChangeFixture, ConverterRestartCancelsTheDialog) {
    dialog.show();
    type("old", "secret", "secret");
    button("ctl1")->click();
    ASSERT_TRUE(dialog.isWaiting());
    dialog.cancelRequest();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(ChangePasswordDialogLife, HiddenFieldsOfThirtyTwoCharacters) {
    ShippedTexts texts;
    {
        ChangePasswordDialog dialog(texts.lm, texts.prompter);
        EXPECT_EQ(dialog.windowTitle(), texts.text(text::ChangePasswordTitle));
        for (const char* name : {"ctl1000", "ctl1007", "ctl1022"}) {
            auto* e = dialog.findChild<QLineEdit*>(name);
            EXPECT_EQ(e->echoMode(), QLineEdit::Password);
            EXPECT_EQ(e->maxLength(), 32);
        }
        saveScreenshot(dialog, "ChangePasswordDialog");
    }
}

} // namespace

namespace {

// Both password dialogs send one Latin-1 byte per character and refuse any other character, so
// a password set in one can be typed into the other.
TEST_F(ChangeFixture, PasswordsTravelAsLatin1InBothDialogs) {
    const QString latin1 = QStringLiteral("Grüße");
    type(QStringLiteral("alt"), latin1, latin1);
    button("ctl1")->click();
    ASSERT_FALSE(r.channel.sent.empty());
    EXPECT_EQ(sent(tag::NewPassword), std::string("Gr\xFC\xDF"
                                                  "e") +
                                          '\0');

    PasswordDialog question(texts.lm);
    question.findChild<QLineEdit*>("ctl1000")->setText(latin1);
    question.accept();
    EXPECT_EQ(question.result(), QDialog::Accepted);
    EXPECT_EQ(question.passwordBytes(), dialog.newPassword());
}

TEST_F(ChangeFixture, ACharacterOutsideLatin1IsRefusedNotChanged) {
    const std::size_t frames = r.channel.sent.size();
    for (const char* field : {"ctl1000", "ctl1007"}) {
        texts.prompter.messages.clear();
        type(QStringLiteral("alt"), QStringLiteral("neu"), QStringLiteral("neu"));
        edit(field)->setText(QStringLiteral("5€"));
        if (std::string(field) == "ctl1007") {
            edit("ctl1022")->setText(QStringLiteral("5€"));
        }
        button("ctl1")->click();
        ASSERT_EQ(texts.prompter.messages.size(), 1u) << field;
        EXPECT_EQ(texts.prompter.messages[0].text, texts.text(text::PasswordNotLatin1));
        EXPECT_EQ(edit(field)->text(), QStringLiteral("5€")) << "kept for correcting";
        EXPECT_EQ(enabled(), kAllEnabled);
    }
    EXPECT_EQ(r.channel.sent.size(), frames);

    PasswordDialog question(texts.lm);
    question.findChild<QLineEdit*>("ctl1000")->setText(QStringLiteral("5€"));
    texts.prompter.messages.clear();
    question.accept();
    EXPECT_NE(question.result(), QDialog::Accepted);
    ASSERT_EQ(texts.prompter.messages.size(), 1u);
    EXPECT_EQ(texts.prompter.messages[0].text, texts.text(text::PasswordNotLatin1));
}

} // namespace
