// The Compare view: its rows grouped by page, its texts and buttons for comparing and for
// reviewing a write, going to a row's control; and the configuration view showing a control.
#include "configview/CompareView.h"
#include "config/CodeField.h"
#include "language/TextIds.h"

#include "ViewTestSupport.h"

#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace vandrel;
using namespace vandrel::test;
using namespace vandrel::ConfigOffset;

namespace {

ConfigSide side(const ConverterConfig& record, std::optional<DeviceInfo> info = std::nullopt) {
    return {record, info};
}

// Two configurations that differ on three pages, on the versions page and apart from the pages.
std::pair<ConfigSide, ConfigSide> differingSides() {
    ConverterConfig a = Defaults();
    ConverterConfig b = a;
    SetCodeFieldText(b, number1, "2001");
    b.bytes[p12ListIndex] = 2;
    b.bytes[enableBits] |= EnableBit::p23Code;
    SetCodeFieldText(b, p24Code, "*31#9");
    b.bytes[reserved] = 7;
    DeviceInfo ia;
    SetVersionText(ia.firmwareVersion, "V2.14");
    DeviceInfo ib = ia;
    SetVersionText(ib.firmwareVersion, "V2.15");
    return {side(a, ia), side(b, ib)};
}

class CompareViewTest : public ViewTest {
protected:
    std::unique_ptr<CompareView> make(const ConfigSide& left, const ConfigSide& right,
                                      CompareView::Purpose purpose) {
        auto made = std::make_unique<CompareView>(
            CompareConfigurations(left, right, language), QStringLiteral("This configuration"),
            QStringLiteral("Converter"), purpose, language, nullptr);
        return made;
    }
    std::unique_ptr<CompareView> differing(CompareView::Purpose purpose) {
        const auto [left, right] = differingSides();
        return make(left, right, purpose);
    }
    static QTreeWidget* rowsOf(CompareView& v) {
        return v.findChild<QTreeWidget*>(QStringLiteral("ctlRows"));
    }
    static QPushButton* button(CompareView& v, const char* name) {
        return v.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static QString summary(CompareView& v) {
        return v.findChild<QLabel*>(QStringLiteral("ctlSummary"))->text();
    }
    // The group captions and, under each, the rows as "label | left | right".
    static std::vector<std::string> shown(CompareView& v) {
        std::vector<std::string> lines;
        QTreeWidget* tree = rowsOf(v);
        for (int g = 0; g < tree->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = tree->topLevelItem(g);
            lines.push_back(group->text(0).toStdString());
            for (int r = 0; r < group->childCount(); ++r) {
                QTreeWidgetItem* row = group->child(r);
                lines.push_back("  " + row->text(0).toStdString() + " | " +
                                row->text(1).toStdString() + " | " + row->text(2).toStdString());
            }
        }
        return lines;
    }
    static QTreeWidgetItem* rowLabelled(CompareView& v, const QString& label) {
        const auto found = rowsOf(v)->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
};

TEST_F(CompareViewTest, RowsAreGroupedByPageInTreeOrderWithTheValuesNoPageShowsLast) {
    const auto view = differing(CompareView::Purpose::Compare);
    EXPECT_EQ(shown(*view),
              (std::vector<std::string>{
                  "Numbers and calls",
                  "  First number | 200 | 2001",
                  "  Signal profile | Profile 6 | Profile 3",
                  "Callback",
                  "  Use callback when busy | Off | On",
                  "Number display",
                  "  Code | *31# | *31#9",
                  "Versions",
                  "  Firmware version | V2.14 | V2.15",
                  "Not shown on any page",
                  "  reserved | " + std::string(80, '0') + " | 07" + std::string(78, '0'),
              }));
    QTreeWidget* tree = rowsOf(*view);
    EXPECT_EQ(tree->headerItem()->text(0), text(text::CompareSettingColumn));
    EXPECT_EQ(tree->headerItem()->text(1), QStringLiteral("This configuration"));
    EXPECT_EQ(tree->headerItem()->text(2), QStringLiteral("Converter"));
    EXPECT_EQ(tree->accessibleName(), text(text::CompareRowsName));
    EXPECT_EQ(view->windowTitle(), text(text::CompareTitle));
    EXPECT_EQ(summary(*view).toStdString(),
              "Differences: 6. Double-click a setting to show it on its page.");
    // Sized to show its rows: every group and row has room.
    view->resize(view->sizeHint());
    EXPECT_GE(view->sizeHint().width(), tree->header()->length());
    EXPECT_EQ(view->windowModality(), Qt::WindowModal);
}

TEST_F(CompareViewTest, ComparingHasOneCloseButtonAndSaysWhenNothingDiffers) {
    const ConfigSide same = side(Defaults());
    const auto view = make(same, same, CompareView::Purpose::Compare);
    EXPECT_EQ(summary(*view), text(text::CompareIdentical));
    EXPECT_TRUE(rowsOf(*view)->isHidden());
    EXPECT_FALSE(button(*view, "ctlClose")->isHidden());
    EXPECT_TRUE(button(*view, "ctlClose")->isDefault());
    EXPECT_TRUE(button(*view, "ctlWrite")->isHidden());
    EXPECT_TRUE(button(*view, "ctlCancel")->isHidden());

    QSignalSpy finished(view.get(), &QDialog::finished);
    view->open();
    QTest::keyClick(view.get(), Qt::Key_Escape);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].toInt(), QDialog::Rejected);
}

TEST_F(CompareViewTest, ReviewWritesOnlyWhenAskedAndCancelIsTheDefault) {
    for (const bool identical : {false, true}) {
        SCOPED_TRACE(identical ? "identical" : "differing");
        const auto view =
            identical ? make(side(Defaults()), side(Defaults()), CompareView::Purpose::Review)
                      : differing(CompareView::Purpose::Review);
        QPushButton* write = button(*view, "ctlWrite");
        QPushButton* cancel = button(*view, "ctlCancel");
        EXPECT_EQ(view->windowTitle(), text(text::ReviewTitle));
        EXPECT_EQ(write->text(), text(identical ? text::ReviewWriteAnyway : text::ReviewWrite));
        EXPECT_EQ(cancel->text(), text(text::ButtonCancel));
        EXPECT_TRUE(button(*view, "ctlClose")->isHidden());
        EXPECT_TRUE(cancel->isDefault());
        EXPECT_FALSE(write->isDefault());
        EXPECT_FALSE(write->autoDefault());
        if (identical) {
            EXPECT_EQ(summary(*view), text(text::ReviewIdentical));
        } else {
            EXPECT_TRUE(summary(*view).startsWith(QStringLiteral("Writing changes the settings")));
        }

        QSignalSpy finished(view.get(), &QDialog::finished);
        if (identical) {
            // The keyboard starts on Cancel, and Enter answers with it: nothing is written.
            EXPECT_EQ(view->focusWidget(), cancel);
            view->open();
            QTest::keyClick(view->focusWidget(), Qt::Key_Return);
            ASSERT_EQ(finished.size(), 1);
            EXPECT_EQ(finished[0][0].toInt(), QDialog::Rejected);
        } else {
            EXPECT_EQ(view->focusWidget(), rowsOf(*view));
            view->open();
            QTest::keyClick(view.get(), Qt::Key_Escape);
            ASSERT_EQ(finished.size(), 1);
            EXPECT_EQ(finished[0][0].toInt(), QDialog::Rejected);
        }

        view->open();
        write->click();
        ASSERT_EQ(finished.size(), 2);
        EXPECT_EQ(finished[1][0].toInt(), QDialog::Accepted);
    }
}

TEST_F(CompareViewTest, AWriteThatChangesNoValueIsSaidSoEvenWhenTheVersionsDiffer) {
    DeviceInfo older;
    SetVersionText(older.firmwareVersion, "V2.14");
    const auto view =
        make(side(Defaults(), older), side(Defaults(), DeviceInfo{}), CompareView::Purpose::Review);
    EXPECT_EQ(summary(*view), text(text::ReviewIdentical));
    EXPECT_EQ(button(*view, "ctlWrite")->text(), text(text::ReviewWriteAnyway));
    EXPECT_FALSE(rowsOf(*view)->isHidden());
    EXPECT_EQ(shown(*view),
              (std::vector<std::string>{"Versions", "  Firmware version | V2.14 | unknown"}));
}

TEST_F(CompareViewTest, ChoosingARowAsksForItsControlAndClosesWithoutWriting) {
    for (const bool byMouse : {true, false}) {
        SCOPED_TRACE(byMouse ? "double click" : "Enter");
        const auto view = differing(CompareView::Purpose::Review);
        QSignalSpy wanted(view.get(), &CompareView::controlWanted);
        QSignalSpy finished(view.get(), &QDialog::finished);
        view->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        QTreeWidget* tree = rowsOf(*view);
        QTreeWidgetItem* row = rowLabelled(*view, QStringLiteral("Signal profile"));
        ASSERT_NE(row, nullptr);
        if (byMouse) {
            const QPoint at = tree->visualItemRect(row).center();
            // A double click starts with a click, as the mouse gives it.
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        } else {
            tree->setFocus();
            tree->setCurrentItem(row);
            QTest::keyClick(tree, Qt::Key_Return);
        }
        ASSERT_EQ(wanted.size(), 1);
        EXPECT_EQ(wanted[0][0].toInt(), 12);
        EXPECT_EQ(wanted[0][1].toString(), QStringLiteral("ctl1001"));
        ASSERT_EQ(finished.size(), 1) << "closed once";
        EXPECT_EQ(finished[0][0].toInt(), QDialog::Rejected);
    }

    // A value no page shows and a group's caption go nowhere: Enter there does not close.
    const auto view = differing(CompareView::Purpose::Review);
    QSignalSpy wanted(view.get(), &CompareView::controlWanted);
    QSignalSpy finished(view.get(), &QDialog::finished);
    view->open();
    QTreeWidget* tree = rowsOf(*view);
    tree->setFocus();
    tree->setCurrentItem(rowLabelled(*view, QStringLiteral("reserved")));
    QTest::keyClick(tree, Qt::Key_Return);
    QTreeWidgetItem* group = tree->topLevelItem(0);
    tree->setCurrentItem(group);
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_FALSE(group->isExpanded()) << "Enter folds a group";
    EXPECT_EQ(wanted.size(), 0);
    EXPECT_EQ(finished.size(), 0);
    EXPECT_TRUE(view->isVisible());
}

TEST_F(CompareViewTest, RetranslatesItsRowsAndTexts) {
    const auto view = differing(CompareView::Purpose::Review);
    ASSERT_TRUE(language.Switch(2));
    view->retranslate();
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Vor dem Schreiben prüfen"));
    EXPECT_EQ(button(*view, "ctlWrite")->text(), QStringLiteral("&Schreiben"));
    EXPECT_EQ(button(*view, "ctlCancel")->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(rowsOf(*view)->headerItem()->text(0), QStringLiteral("Einstellung"));
    QTreeWidgetItem* row = rowLabelled(*view, text(text::P23Switch));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(1), QStringLiteral("Aus"));
    EXPECT_EQ(row->text(2), QStringLiteral("Ein"));
    EXPECT_EQ(rowsOf(*view)->topLevelItem(4)->text(0),
              QStringLiteral("Auf keiner Seite angezeigt"));
    view->setSideCaptions(QStringLiteral("Diese Konfiguration"), QStringLiteral("Konverter"));
    EXPECT_EQ(rowsOf(*view)->headerItem()->text(2), QStringLiteral("Konverter"));
}

// The configuration view shows the control a row asks for, with the focus on it.
class ShowControlTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        view->resize(700, 300); // page 12 scrolls
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        ASSERT_TRUE(view->OpenDocument());
    }
    bool inSight(QWidget* w) {
        auto* area = view->findChild<QScrollArea*>();
        const QRect at(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
        return area->viewport()->rect().contains(at);
    }
};

TEST_F(ShowControlTest, ShowsThePageAndFocusesTheControlInSight) {
    ASSERT_TRUE(view->showControl(12, QStringLiteral("ctl1001")));
    EXPECT_EQ(view->currentPage(), 12);
    EXPECT_EQ(view->tree()->currentItem(), item(12));
    QWidget* list = control("ctl1001");
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_TRUE(inSight(list));

    // A radio group: its checked radio.
    ASSERT_TRUE(view->showControl(11, QStringLiteral("grp820")));
    EXPECT_EQ(QApplication::focusWidget(), control("ctl1016"));
    // A code that its switch keeps off: the switch.
    ASSERT_TRUE(view->showControl(22, QStringLiteral("ctl1022")));
    EXPECT_EQ(QApplication::focusWidget(), control("ctl1010"));
    control<QAbstractButton>("ctl1010")->click();
    ASSERT_TRUE(view->showControl(22, QStringLiteral("ctl1022")));
    EXPECT_EQ(QApplication::focusWidget(), control("ctl1013"));
    // A value of the versions page: the page.
    ASSERT_TRUE(view->showControl(41, QStringLiteral("ctl1003")));
    EXPECT_EQ(view->currentPage(), 41);
    EXPECT_FALSE(view->showControl(3, QStringLiteral("ctl1000")));
}

TEST_F(ShowControlTest, APageThatRefusesToBeLeftKeepsTheFocusWhereItIs) {
    ASSERT_TRUE(view->showControl(23, QStringLiteral("ctl1010")));
    control<QAbstractButton>("ctl1010")->click();
    control<QLineEdit>("ctl1000")->clear();
    EXPECT_FALSE(view->showControl(12, QStringLiteral("ctl1000")));
    EXPECT_EQ(view->currentPage(), 23);
    EXPECT_EQ(messages.shown.size(), 1u);
}

// Pictures for review: the view in English and in German, at the size it takes.
TEST_F(CompareViewTest, Screenshots) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(VANDREL_SCREENSHOT_DIR)));
    for (const int lang : {1, 2}) {
        ASSERT_TRUE(language.Switch(lang));
        const auto [left, right] = differingSides();
        ConfigSide r = right;
        r.record.bytes[p11Options] |= 0x01;
        r.record.bytes[password] = 'x';
        const QString name = lang == 1 ? QStringLiteral("This configuration")
                                       : QStringLiteral("Diese Konfiguration");
        const QString other = lang == 1 ? QStringLiteral("Converter") : QStringLiteral("Konverter");
        for (const auto purpose : {CompareView::Purpose::Compare, CompareView::Purpose::Review}) {
            CompareView v(CompareConfigurations(left, r, language), name, other, purpose, language,
                          nullptr);
            v.open();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
            const QString file =
                QStringLiteral(VANDREL_SCREENSHOT_DIR "/compare-%1-%2.png")
                    .arg(lang == 1 ? QStringLiteral("en") : QStringLiteral("de"))
                    .arg(purpose == CompareView::Purpose::Compare ? QStringLiteral("compare")
                                                                  : QStringLiteral("review"));
            EXPECT_TRUE(v.grab().save(file));
            v.reject();
        }
        CompareView same(CompareConfigurations(left, left, language), name, other,
                         CompareView::Purpose::Review, language, nullptr);
        same.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&same));
        EXPECT_TRUE(
            same.grab().save(QStringLiteral(VANDREL_SCREENSHOT_DIR "/compare-%1-identical.png")
                                 .arg(lang == 1 ? QStringLiteral("en") : QStringLiteral("de"))));
        same.reject();
    }
    // Many differences: the view takes the room the screen has and scrolls.
    ASSERT_TRUE(language.Switch(1));
    ConverterConfig ones;
    ones.bytes.fill(0xFF);
    CompareView many(CompareConfigurations(side(Defaults()), side(ones), language),
                     QStringLiteral("This configuration"), QStringLiteral("Converter"),
                     CompareView::Purpose::Compare, language, nullptr);
    many.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&many));
    EXPECT_TRUE(many.grab().save(QStringLiteral(VANDREL_SCREENSHOT_DIR "/compare-en-many.png")));
    many.reject();
}

} // namespace
