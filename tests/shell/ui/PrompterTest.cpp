#include "shell/ui/Prompter.h"
#include "shell/ui/FileFilter.h"
#include "shell/ui/SourceChoiceDialog.h"

#include "language/TextIds.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vandrel;
using namespace vandrel::test;

namespace {

TEST(FileFilter, LanguageFilterTextsBecomeNameFilters) {
    struct Case {
        QString pipeText;
        QStringList expected;
    };
    const Case cases[] = {
        {"Text files (*.txt)|*.txt|All files|*|", {"Text files (*.txt)", "All files (*)"}},
        {"Configuration|*.dat;*.cfg|", {"Configuration (*.dat *.cfg)"}},
        {"Logs (*.log)|*.log", {"Logs (*.log)"}},
        {"Odd (*.x)|*.y|", {"Odd (*.x) (*.y)"}}, // the pattern, not the description, counts
        {"Lonely description|", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nameFiltersFromPipeText(c.pipeText), c.expected) << c.pipeText.toStdString();
    }
}

TEST(Prompter, LanguageMessagesReachThePrompterWithTheirTexts) {
    ShippedTexts texts;
    texts.prompter.answers = {ResultNo};
    MessageStyle style;
    style.buttons = MessageButtons::YesNo;
    style.icon = MessageIcon::Question;
    EXPECT_EQ(texts.lm.MessageBox(text::SaveLogQuestion, text::MonitorTab, style), ResultNo);
    ASSERT_EQ(texts.prompter.messages.size(), 1u);
    const MessageRequest& shown = texts.prompter.messages[0];
    EXPECT_EQ(shown.text, texts.text(text::SaveLogQuestion));
    EXPECT_EQ(shown.title, texts.text(text::MonitorTab));
    EXPECT_EQ(shown.yesText, texts.text(text::ButtonYes));
    EXPECT_EQ(shown.noText, texts.text(text::ButtonNo));
    EXPECT_EQ(shown.style.icon, MessageIcon::Question);
}

TEST(Prompter, ScriptedDialogsAreAnsweredByTheirStepsOrRejected) {
    ShippedTexts texts;
    texts.prompter.dialogSteps.push_back([](QDialog& dialog) {
        dialog.findChild<QPushButton*>("ctl1018")->click();
        return ScriptedPrompter::finish(dialog);
    });
    for (const int expected : {SourceChoiceDialog::File, SourceChoiceDialog::Cancel}) {
        SourceChoiceDialog dialog(SourceChoiceDialog::Mode::Open, texts.lm);
        EXPECT_EQ(texts.prompter.runDialog(dialog), expected);
    }
    EXPECT_EQ(texts.prompter.dialogs,
              (std::vector<QString>{"vandrel::SourceChoiceDialog", "vandrel::SourceChoiceDialog"}));
}

} // namespace

namespace {

// A message shown without waiting over the main window, while another dialog of the program is
// the active one and closing: the box belongs to the main window, is modal to it, sits centred
// on it and has the keyboard focus, so a click on the window cannot bury it.
TEST(QtPrompterShow, TheBoxIsModalToTheGivenWindowCentredAndFocused) {
    QWidget window;
    window.setGeometry(100, 100, 900, 600);
    window.show();
    QDialog closing(&window);
    closing.open();
    QApplication::setActiveWindow(&closing);

    QtPrompter prompter;
    MessageRequest request;
    request.text = QStringLiteral("The firmware was loaded successfully.");
    request.title = QStringLiteral("Done");
    request.style.icon = MessageIcon::Information;
    int answered = -1;
    prompter.show(request, &window, [&](int answer) { answered = answer; });
    closing.close();

    QMessageBox* box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        box = window.findChild<QMessageBox*>();
        return box != nullptr && box->isVisible();
    }));
    EXPECT_EQ(box->parentWidget(), &window);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    // Window decorations may differ between the two frames by a few pixels.
    EXPECT_LE((box->frameGeometry().center() - window.frameGeometry().center()).manhattanLength(),
              12);
    QWidget* focused = box->focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused, box->defaultButton());
    EXPECT_EQ(answered, -1) << "nothing waits for the box";
    box->defaultButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered == ResultOk; }));
}

} // namespace
