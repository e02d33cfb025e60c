// Marks of changed values: on the controls of the page being edited, against the configuration
// as it was opened, read or saved, as the user types; and on the pages of the tree.
#include "configview/ChangeMarks.h"
#include "config/CodeField.h"
#include "configview/ChangeFrame.h"
#include "language/TextIds.h"

#include "ViewTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QPalette>
#include <QRadioButton>
#include <QTest>

using namespace vandrel;
using namespace vandrel::test;

namespace {

class ChangeMarksTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        ASSERT_TRUE(view->OpenDocument());
    }

    bool marked(const char* name) { return ChangeMarks::IsMarked(control(name)); }
    // The control's tinted frame, when it has one that shows.
    bool framed(const char* name) {
        QWidget* c = control(name);
        for (const ChangeFrame* frame : c->parentWidget()->findChildren<ChangeFrame*>()) {
            if (frame->control() == c && frame->isVisibleTo(c->parentWidget())) {
                return true;
            }
        }
        return false;
    }
    // The controls of the page that carry a mark.
    std::vector<std::string> markedControls() {
        std::vector<std::string> names;
        for (QWidget* w : view->page()->findChildren<QWidget*>()) {
            if (ChangeMarks::IsMarked(w)) {
                names.push_back(w->objectName().toStdString());
            }
        }
        return names;
    }
    // The pages of the tree that carry a mark.
    std::vector<int> markedPages() {
        std::vector<int> pages;
        for (QTreeWidgetItemIterator it(view->tree()); *it != nullptr; ++it) {
            if (PageTree::IsChanged(*it)) {
                pages.push_back((*it)->data(0, Qt::UserRole).toInt());
            }
        }
        return pages;
    }
    void type(const char* name, const QString& keys) {
        QTest::keyClicks(control<QLineEdit>(name), keys);
    }
};

TEST_F(ChangeMarksTest, TypingMarksTheControlItsPageAndGroupAndTypingTheOldValueTakesThemAway) {
    ASSERT_TRUE(showPage(12));
    EXPECT_TRUE(markedControls().empty());
    EXPECT_TRUE(markedPages().empty());

    control<QLineEdit>("ctl1000")->end(false);
    type("ctl1000", QStringLiteral("7"));
    EXPECT_EQ(markedControls(), std::vector<std::string>{"ctl1000"});
    EXPECT_TRUE(framed("ctl1000"));
    EXPECT_EQ(control("ctl1000")->toolTip().toStdString(), "Changed. Before: 200");
    EXPECT_EQ(control("ctl1000")->accessibleDescription(), control("ctl1000")->toolTip());
    EXPECT_EQ(markedPages(), (std::vector<int>{1, 12})) << "the page and its group";
    EXPECT_EQ(item(12)->data(0, Qt::AccessibleDescriptionRole).toString(),
              text(text::PageChangedMark));

    QTest::keyClick(control("ctl1000"), Qt::Key_Backspace);
    EXPECT_TRUE(markedControls().empty());
    EXPECT_FALSE(framed("ctl1000"));
    EXPECT_TRUE(control("ctl1000")->toolTip().isEmpty());
    EXPECT_TRUE(markedPages().empty());
    EXPECT_TRUE(item(12)->data(0, Qt::AccessibleDescriptionRole).toString().isEmpty());

    // A number counts by its value; an emptied edit shows no value.
    control<QLineEdit>("ctl1024")->setText(QStringLiteral("04"));
    EXPECT_TRUE(markedControls().empty());
    control<QLineEdit>("ctl1024")->clear();
    EXPECT_EQ(markedControls(), std::vector<std::string>{"ctl1024"});
}

TEST_F(ChangeMarksTest, CheckBoxesRadiosAndListsAreMarkedAsTheyChange) {
    ASSERT_TRUE(showPage(12));
    control<QAbstractButton>("ctl1053")->click();
    control<QRadioButton>("ctl1011")->click();
    control<QComboBox>("ctl1001")->setCurrentIndex(0);
    EXPECT_EQ(markedControls(), (std::vector<std::string>{"grp910", "ctl1053", "ctl1001"}));
    EXPECT_EQ(control("ctl1001")->toolTip().toStdString(), "Changed. Before: Profile 6");
    EXPECT_EQ(control("grp910")->toolTip().toStdString(), "Changed. Before: Second number");
    control<QAbstractButton>("ctl1053")->click();
    control<QRadioButton>("ctl1012")->click();
    control<QComboBox>("ctl1001")->setCurrentIndex(5);
    EXPECT_TRUE(markedControls().empty());
    EXPECT_TRUE(markedPages().empty());

    // Page 11's list sets its number to 0 when the number's switch goes off.
    openOn(
        [] {
            ConverterConfig r = Defaults();
            r.bytes[ConfigOffset::p11Select] = 1;
            r.bytes[ConfigOffset::p11Number] = 9;
            return r;
        }(),
        11);
    control<QComboBox>("ctl1001")->setCurrentIndex(0);
    EXPECT_EQ(markedControls(), (std::vector<std::string>{"ctl1001", "ctl1000"}));
}

TEST_F(ChangeMarksTest, MarksStayWithTheRecordAcrossPagesAndGoWhenSaved) {
    WorkFolder work;
    ASSERT_TRUE(showPage(23));
    control<QAbstractButton>("ctl1010")->click();
    ASSERT_TRUE(showPage(21));
    EXPECT_TRUE(markedControls().empty());
    EXPECT_EQ(markedPages(), (std::vector<int>{2, 23})) << "the collected page keeps its mark";
    ASSERT_TRUE(showPage(23));
    EXPECT_EQ(markedControls(), std::vector<std::string>{"ctl1010"});

    // Saving: what the page shows is what was saved.
    ASSERT_TRUE(view->SaveDocument(work.qpath("saved.dat")));
    EXPECT_TRUE(markedControls().empty());
    EXPECT_TRUE(markedPages().empty());
    control<QAbstractButton>("ctl1010")->click();
    EXPECT_EQ(markedControls(), std::vector<std::string>{"ctl1010"});
    EXPECT_EQ(control("ctl1010")->toolTip().toStdString(), "Changed. Before: On");
}

TEST_F(ChangeMarksTest, MarksGoWhenTheDocumentIsReadReloadedReplacedOrClosed) {
    WorkFolder work;
    ASSERT_TRUE(view->SaveDocument(work.qpath("file.dat")));
    auto edit = [this] {
        ASSERT_TRUE(showPage(24));
        control<QLineEdit>("ctl1000")->setText(QStringLiteral("*32#"));
        ASSERT_TRUE(showPage(12)); // collected: the record holds it
        ASSERT_EQ(markedPages(), (std::vector<int>{2, 24}));
    };
    edit();
    ConverterConfig received = Defaults();
    SetCodeFieldText(received, ConfigOffset::p24Code, "*33#");
    document.takeRead(received);
    EXPECT_TRUE(markedPages().empty());
    ASSERT_TRUE(showPage(24));
    EXPECT_TRUE(markedControls().empty());

    edit();
    ASSERT_TRUE(view->OpenDocument(work.qpath("file.dat")));
    EXPECT_TRUE(markedPages().empty());

    edit();
    ASSERT_TRUE(view->OpenDocument());
    EXPECT_TRUE(markedPages().empty());

    ASSERT_TRUE(showPage(24));
    control<QLineEdit>("ctl1000")->setText(QStringLiteral("*32#"));
    view->CloseDocument();
    EXPECT_EQ(view->tree()->topLevelItemCount(), 0);
    EXPECT_FALSE(view->changeMarks().anyMarked());
}

TEST_F(ChangeMarksTest, MarksFollowALanguageSwitch) {
    ASSERT_TRUE(showPage(12));
    control<QAbstractButton>("ctl1053")->click();
    control<QComboBox>("ctl1001")->setCurrentIndex(1);
    ASSERT_TRUE(language.Switch(2));
    view->RetranslateView();
    EXPECT_EQ(markedControls(), (std::vector<std::string>{"ctl1053", "ctl1001"}));
    EXPECT_EQ(control("ctl1053")->toolTip().toStdString(), "Geändert. Vorher: Aus");
    EXPECT_EQ(control("ctl1001")->toolTip(), QStringLiteral("Geändert. Vorher: ") + text(956));
    EXPECT_EQ(item(12)->data(0, Qt::AccessibleDescriptionRole).toString(),
              QStringLiteral("Enthält Änderungen"));
    control<QComboBox>("ctl1001")->setCurrentIndex(5);
    EXPECT_EQ(markedControls(), std::vector<std::string>{"ctl1053"});
}

QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    p.setColor(QPalette::Button, QColor(55, 55, 58));
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    return p;
}

// Pictures for review: a page with marked controls and the tree's marks, light and dark.
TEST_F(ChangeMarksTest, Screenshots) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(VANDREL_SCREENSHOT_DIR)));
    const QPalette light = QApplication::palette();
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : light);
        ASSERT_TRUE(showPage(23));
        control<QAbstractButton>("ctl1010")->click();
        ASSERT_TRUE(showPage(12));
        control<QLineEdit>("ctl1000")->setText(QStringLiteral("2001"));
        control<QAbstractButton>("ctl1013")->click();
        control<QRadioButton>("ctl1011")->click();
        control<QLineEdit>("ctl1024")->setText(QStringLiteral("9"));
        view->resize(760, 560);
        view->show();
        QApplication::processEvents();
        EXPECT_TRUE(
            view->grab().save(QStringLiteral(VANDREL_SCREENSHOT_DIR "/marks-%1.png")
                                  .arg(dark ? QStringLiteral("dark") : QStringLiteral("light"))));
        ASSERT_TRUE(view->OpenDocument());
    }
    QApplication::setPalette(light);
}

} // namespace
