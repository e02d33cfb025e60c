#include "configview/FilterEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

using namespace vandrel;

namespace {

struct FilterCase {
    const char* name;
    const char* set;
    QString start;
    QString typed;
    QString shown;
    int beeps;
};

class FilterEditTyping : public ::testing::TestWithParam<FilterCase> {
protected:
    void SetUp() override {
        FilterEdit::setBeepHandler([this] { ++beeps; });
    }
    void TearDown() override { FilterEdit::setBeepHandler(nullptr); }

    int beeps = 0;
};

TEST_P(FilterEditTyping, TypedKeysAreFilteredConvertedOrRefused) {
    const FilterCase& c = GetParam();
    FilterEdit edit;
    edit.setCharacterSet(QString::fromLatin1(c.set));
    edit.setText(c.start);
    QTest::keyClicks(&edit, c.typed);
    EXPECT_EQ(edit.text(), c.shown);
    EXPECT_EQ(beeps, c.beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, FilterEditTyping,
    ::testing::Values(
        FilterCase{"DigitsAndSigns", CharSet::DialCodesR, "", "12*#,", "12*#,", 0},
        FilterCase{"LowerTypedForUpperSetLetter", CharSet::DialCodesR, "", "r", "R", 0},
        FilterCase{"UpperTypedForLowerSetLetter", CharSet::DialCodesN, "", "N", "n", 0},
        FilterCase{"LetterNotInSetBeeps", CharSet::DialCodesR, "", "x", "", 1},
        FilterCase{"OnlyRefusedKeysAreDropped", CharSet::Digits, "", "1a2-3", "123", 2},
        FilterCase{"BothLettersOfTheRichestSet", CharSet::DialCodesRN, "", "rNn R", "RnnR", 1},
        FilterCase{"NoLettersInDialCodes", CharSet::DialCodes, "", "R9n", "9", 2},
        FilterCase{"InsertsAtTheCursor", CharSet::DialCodesR, "12", "r", "12R", 0},
        FilterCase{"TwentyCharacterLimitBeeps", CharSet::Digits, "", "1234567890123456789012",
                   "12345678901234567890", 2}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(FilterEdit, ControlKeysPassAndPastedTextIsNotFiltered) {
    int beeps = 0;
    FilterEdit::setBeepHandler([&] { ++beeps; });
    FilterEdit edit;
    edit.setCharacterSet(QString::fromLatin1(CharSet::DialCodesR));
    QTest::keyClicks(&edit, QStringLiteral("123"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("12"));

    QApplication::clipboard()->setText(QStringLiteral("x?"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("12x?"));
    EXPECT_EQ(beeps, 0);

    // Pasting stops at the field's 20 characters.
    QApplication::clipboard()->setText(QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("12x?abcdefghijklmnop"));
    FilterEdit::setBeepHandler(nullptr);
}

TEST(FilterEdit, LimitHoldsForTheUserNotForShownValues) {
    int beeps = 0;
    FilterEdit::setBeepHandler([&] { ++beeps; });
    FilterEdit edit;
    edit.setCharacterSet(QString::fromLatin1(CharSet::Digits));
    edit.setLimit(2, 3);
    edit.setText(QStringLiteral("200"));
    EXPECT_EQ(edit.text(), QStringLiteral("200"));
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("123"));
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    EXPECT_EQ(beeps, 1);
    // Typing over a selection replaces it within the limit.
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("9"));
    EXPECT_EQ(edit.text(), QStringLiteral("9"));
    FilterEdit::setBeepHandler(nullptr);
}

// Typing, pasting by other ways and an input method keep the same part of an over-long text, for
// an edit whose shown values fit its limit and for one that may show wider values.
TEST(FilterEdit, EveryWayInKeepsTheSamePartOfALongText) {
    using Insert = std::function<void(FilterEdit&, const QString&)>;
    const std::pair<const char*, Insert> ways[] = {
        {"typing", [](FilterEdit& e, const QString& t) { QTest::keyClicks(&e, t); }},
        {"insert", [](FilterEdit& e, const QString& t) { e.insert(t); }},
        {"input method",
         [](FilterEdit& e, const QString& t) {
             QInputMethodEvent event;
             event.setCommitString(t);
             QApplication::sendEvent(&e, &event);
         }},
    };
    for (const int widestShown : {4, 6}) {
        for (const auto& [name, insert] : ways) {
            SCOPED_TRACE(std::string(name) + ", widest shown " + std::to_string(widestShown));
            FilterEdit edit;
            edit.setCharacterSet(QString::fromLatin1(CharSet::Digits));
            edit.setLimit(4, widestShown);
            edit.setText(QStringLiteral("19"));
            edit.setCursorPosition(1);
            insert(edit, QStringLiteral("2345"));
            EXPECT_EQ(edit.text(), QStringLiteral("1239"));
            // Over a selection, which gives way first.
            edit.setSelection(1, 2);
            insert(edit, QStringLiteral("5678"));
            EXPECT_EQ(edit.text(), QStringLiteral("1569"));
        }
    }
}

TEST(FilterEdit, FilterMatchesTheSetInOrder) {
    EXPECT_EQ(FilterEdit::Filter(QStringLiteral("0123456789*#Rn,"), QLatin1Char('r')),
              QLatin1Char('R'));
    EXPECT_EQ(FilterEdit::Filter(QStringLiteral("0123456789*#Rn,"), QLatin1Char('N')),
              QLatin1Char('n'));
    EXPECT_TRUE(FilterEdit::Filter(QStringLiteral("0123456789"), QLatin1Char(' ')).isNull());
    EXPECT_TRUE(FilterEdit::Filter(QString(), QLatin1Char('1')).isNull());
}

} // namespace

namespace {

TEST(FilterEdit, ContextMenuPasteKeepsTheLimit) {
    FilterEdit edit;
    edit.setCharacterSet(QString::fromLatin1(CharSet::Digits));
    edit.setLimit(4);
    edit.show();
    QApplication::clipboard()->setText(QStringLiteral("123456"));
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), edit.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&edit, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QStringLiteral("&Paste"))) {
            paste = action;
        }
    }
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    EXPECT_EQ(edit.text(), QStringLiteral("1234"));
}

} // namespace
