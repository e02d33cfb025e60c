// The About, password, source choice and language dialogs.
#include "shell/ui/AboutDialog.h"
#include "shell/ui/LanguageDialog.h"
#include "shell/ui/PasswordDialog.h"
#include "shell/ui/SourceChoiceDialog.h"

#include "language/TextIds.h"

#include "TempDir.h"
#include "UiTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>

#include <gtest/gtest.h>

using namespace vandrel;
using namespace vandrel::test;

namespace {

template <typename T = QWidget> T* control(QWidget& parent, const char* name) {
    T* w = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(AboutDialog, ShowsItsTextsAndTheVersion) {
    ShippedTexts texts;
    AboutDialog dialog(texts.lm);
    EXPECT_EQ(dialog.windowTitle(), texts.text(text::AboutTitle));
    EXPECT_EQ(control<QLabel>(dialog, "aboutText")->text(), texts.text(text::AboutText));
    EXPECT_EQ(control<QLabel>(dialog, "versionText")->text(), "v1.3.2.0");
    EXPECT_EQ(control<QLabel>(dialog, "aboutNote")->text(), texts.text(text::AboutNote));
    EXPECT_FALSE(control<QLabel>(dialog, "programIcon")->pixmap().isNull());
    saveScreenshot(dialog, "AboutDialog");
    control<QPushButton>(dialog, "ctl1")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(PasswordDialog, HiddenEntryOfAtMost32Characters) {
    struct Case {
        const char* button;
        int result;
    };
    for (const Case c : {Case{"ctl1", QDialog::Accepted}, Case{"ctl2", QDialog::Rejected}}) {
        ShippedTexts texts;
        PasswordDialog dialog(texts.lm);
        EXPECT_EQ(dialog.windowTitle(), texts.text(text::PasswordTitle));
        auto* edit = control<QLineEdit>(dialog, "ctl1000");
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        EXPECT_EQ(dialog.focusWidget(), edit);
        QTest::keyClicks(edit, QString(40, QLatin1Char('p')));
        EXPECT_EQ(dialog.password(), QString(32, QLatin1Char('p')));
        if (c.result == QDialog::Accepted) {
            saveScreenshot(dialog, "PasswordDialog");
        }
        control<QPushButton>(dialog, c.button)->click();
        EXPECT_EQ(dialog.result(), c.result) << c.button;
    }
}

TEST(SourceChoiceDialog, ButtonsAndCloseBoxGiveTheirResults) {
    using Mode = SourceChoiceDialog::Mode;
    struct Case {
        Mode mode;
        const char* button; // null: the window's close box
        int result;
    };
    const Case cases[] = {
        {Mode::Open, "ctl1", 10}, {Mode::Open, "ctl1018", 11}, {Mode::Open, "ctl2", 2},
        {Mode::Open, nullptr, 2}, {Mode::Save, "ctl1", 10},    {Mode::Save, "ctl1018", 11},
        {Mode::Save, nullptr, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button ? c.button : "close box");
        ShippedTexts texts;
        SourceChoiceDialog dialog(c.mode, texts.lm);
        const bool open = c.mode == Mode::Open;
        EXPECT_EQ(dialog.windowTitle(),
                  texts.text(open ? text::SourceOpenTitle : text::SourceSaveTitle));
        EXPECT_EQ(control<QLabel>(dialog, "ctl1003")->text(),
                  texts.text(open ? text::SourceOpenText : text::SourceSaveText));
        EXPECT_EQ(control<QPushButton>(dialog, "ctl1")->text(), texts.text(text::SourceConverter));
        EXPECT_TRUE(control<QPushButton>(dialog, "ctl1")->isDefault());
        dialog.show();
        if (c.button) {
            control<QPushButton>(dialog, c.button)->click();
        } else {
            dialog.close();
        }
        EXPECT_EQ(dialog.result(), c.result);
        EXPECT_FALSE(dialog.isVisible());
    }
    ShippedTexts texts;
    SourceChoiceDialog dialog(Mode::Open, texts.lm);
    saveScreenshot(dialog, "SourceChoiceDialog");
}

// A LANG.INI with three languages; the second one's file is missing.
struct LanguageIndex {
    TempDir dir;
    ShippedTexts texts;

    LanguageIndex() {
        std::ofstream(dir.file("LANG.INI"))
            << "[general]\nnum_languages=3\ndirectory=" VANDREL_SOURCE_DIR "/lang\n"
            << "[language names]\n1=English\n2=Missing\n3=Deutsch\n"
            << "[language files]\n1=vandrel_en.lng\n2=vandrel_xx.lng\n3=vandrel_de.lng\n";
        texts.lm.setLanguageFolders({QString::fromStdString(dir.path().string())});
        EXPECT_TRUE(texts.lm.Load(1));
    }
};

TEST(LanguageDialog, OffersLanguagesWithAFileAndPreselectsTheCurrentOne) {
    struct Case {
        int currentId;
        QString selected; // empty: nothing selected
        std::optional<int> chosen;
    };
    const Case cases[] = {
        {3, "Deutsch", 3},
        {1, "English", 1},
        {2, "", std::nullopt}, // the current language has no file: OK changes nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.currentId);
        LanguageIndex index;
        LanguageDialog dialog(c.currentId, index.texts.lm);
        EXPECT_EQ(dialog.windowTitle(), index.texts.text(text::LanguageDialogTitle));
        auto* list = control<QComboBox>(dialog, "ctl1001");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(0), "English");
        EXPECT_EQ(list->itemData(1).toInt(), 3);
        EXPECT_EQ(list->currentText(), c.selected);
        control<QPushButton>(dialog, "ctl1")->click();
        EXPECT_EQ(dialog.result(), c.chosen ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(dialog.languageId(), c.chosen);
    }
    LanguageIndex index;
    LanguageDialog dialog(1, index.texts.lm);
    saveScreenshot(dialog, "LanguageDialog");
}

TEST(LanguageDialog, CancelKeepsTheLanguage) {
    LanguageIndex index;
    LanguageDialog dialog(1, index.texts.lm);
    control<QComboBox>(dialog, "ctl1001")->setCurrentIndex(1);
    control<QPushButton>(dialog, "ctl2")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.languageId(), std::nullopt);
}

} // namespace
