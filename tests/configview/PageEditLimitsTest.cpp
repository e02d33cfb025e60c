// Every edit of every page keeps its character set and its limit, whichever way the characters
// come in, and the record gets what the page rules make of the control's text.
#include "config/CodeField.h"
#include "configview/FilterEdit.h"

#include "ViewTestSupport.h"

#include <QInputMethodEvent>
#include <QTest>

#include <algorithm>
#include <set>

using namespace vandrel;
using namespace vandrel::test;
using namespace vandrel::ConfigOffset;

namespace {

// How the record takes the edit's text.
enum class Stored { Text, Number };

struct EditCase {
    int page;
    const char* control;
    const char* set;
    int limit;
    std::size_t field;
    Stored stored;
    // Numbers: the range the collect keeps them in, after dividing by `scale`.
    unsigned low = 0;
    unsigned high = 0;
    unsigned scale = 1;
};

// clang-format off
const EditCase kEdits[] = {
    {11, "ctl1000", "0123456789", 3, p11Number, Stored::Number, 0, 127},
    {11, "ctl1007", "0123456789", 2, p11Count, Stored::Number, 1, 30},
    {12, "ctl1000", "0123456789", 20, number1, Stored::Text},
    {12, "ctl1007", "0123456789", 20, number2, Stored::Text},
    {12, "ctl1024", "0123456789", 2, p12Value1, Stored::Number, 1, 30},
    {12, "ctl1025", "0123456789*#,", 20, p12Code, Stored::Text},
    {12, "ctl1028", "0123456789", 20, p12Digits, Stored::Text},
    {12, "ctl1029", "0123456789", 1, p12Value4, Stored::Number, 1, 6},
    {12, "ctl1026", "0123456789", 2, p12Value2, Stored::Number, 1, 30},
    {12, "ctl1027", "0123456789", 2, p12Value3, Stored::Number, 2, 20},
    {12, "ctl1022", "0123456789", 4, p12Scaled, Stored::Number, 8, 255, 5},
    {21, "ctl1000", "0123456789*#n,", 20, p21Code1On, Stored::Text},
    {21, "ctl1007", "0123456789*#n,", 20, p21Code1Off, Stored::Text},
    {21, "ctl1022", "0123456789*#n,", 20, p21Code2On, Stored::Text},
    {21, "ctl1024", "0123456789*#n,", 20, p21Code2Off, Stored::Text},
    {21, "ctl1025", "0123456789*#n,", 20, p21Code3On, Stored::Text},
    {21, "ctl1026", "0123456789*#n,", 20, p21Code3Off, Stored::Text},
    {22, "ctl1000", "0123456789*#R,", 20, p22Code1, Stored::Text},
    {22, "ctl1007", "0123456789*#R,", 20, p22Code2, Stored::Text},
    {22, "ctl1022", "0123456789*#R,", 20, p22Code3, Stored::Text},
    {22, "ctl1024", "0123456789*#R,", 20, p22Code4, Stored::Text},
    {22, "ctl1025", "0123456789*#R,", 20, p22Code5, Stored::Text},
    {22, "ctl1026", "0123456789*#R,", 20, p22Code6, Stored::Text},
    {22, "ctl1027", "0123456789*#R,", 20, p22Code7, Stored::Text},
    {23, "ctl1000", "0123456789*#R,", 20, p23Code, Stored::Text},
    {24, "ctl1000", "0123456789*#Rn,", 20, p24Code, Stored::Text},
};
// clang-format on

void PrintTo(const EditCase& c, std::ostream* out) {
    *out << "page " << c.page << " " << c.control;
}

// `count` characters of `set`, taken in turn from its second one on.
QString sample(const char* set, int count) {
    const QString chars = QString::fromLatin1(set);
    QString text;
    for (int i = 0; i < count; ++i) {
        text += chars[(i + 1) % chars.size()];
    }
    return text;
}

// A record on which every edit is enabled and every mandatory field is filled.
ConverterConfig everythingOn() {
    ConverterConfig r = Defaults();
    r.bytes[p11Select] |= 0x01;
    r.bytes[enableBits] = 0xFF;
    r.bytes[enableBits2] |= 0x01;
    SetCodeFieldText(r, p12Code, "1");
    SetCodeFieldText(r, p12Digits, "1");
    return r;
}

// Text as an input method commits it.
void commit(QWidget* edit, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

class PageEditLimits : public ViewTest, public ::testing::WithParamInterface<EditCase> {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        FilterEdit::setBeepHandler([this] { ++beeps; });
    }
    void TearDown() override {
        FilterEdit::setBeepHandler(nullptr);
        ViewTest::TearDown();
    }

    // Collects the page and checks that the record holds what the rules make of `shown`.
    void expectStored(const QString& shown) {
        const EditCase& c = GetParam();
        ASSERT_TRUE(view->CollectPage());
        if (c.stored == Stored::Text) {
            EXPECT_EQ(QString::fromStdString(CodeFieldText(record, c.field)), shown);
        } else {
            const unsigned number = shown.toUInt() / c.scale;
            EXPECT_EQ(record.bytes[c.field], std::clamp(number, c.low, c.high))
                << shown.toStdString();
        }
    }

    int beeps = 0;
};

TEST_P(PageEditLimits, EveryWayInKeepsTheSetAndTheLimit) {
    const EditCase& c = GetParam();
    openOn(everythingOn(), c.page);
    auto* edit = control<FilterEdit>(c.control);
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(edit->isEnabled());
    const QString full = sample(c.set, c.limit);

    // One character past the limit.
    edit->clear();
    beeps = 0;
    QTest::keyClicks(edit, sample(c.set, c.limit + 1));
    EXPECT_EQ(edit->text(), full);
    EXPECT_EQ(beeps, 1);
    expectStored(full);

    // One character outside the set.
    edit->clear();
    beeps = 0;
    const QString start = sample(c.set, c.limit - 1);
    QTest::keyClicks(edit, start + QLatin1Char('x'));
    EXPECT_EQ(edit->text(), start);
    EXPECT_EQ(beeps, 1);
    if (!start.isEmpty()) {
        expectStored(start);
    }

    // An over-long text inserted the way a middle-button paste does it.
    edit->clear();
    edit->insert(sample(c.set, c.limit + 5));
    EXPECT_EQ(edit->text(), full);
    expectStored(full);

    // An input method's commit: typed text, so the set applies as well.
    edit->clear();
    beeps = 0;
    commit(edit, QLatin1Char('x') + sample(c.set, c.limit + 5));
    EXPECT_EQ(edit->text(), full);
    EXPECT_EQ(beeps, 1);
    expectStored(full);
}

INSTANTIATE_TEST_SUITE_P(AllPages, PageEditLimits, ::testing::ValuesIn(kEdits),
                         [](const ::testing::TestParamInfo<EditCase>& info) {
                             return "Page" + std::to_string(info.param.page) + "_" +
                                    info.param.control;
                         });

class StoredNumberBeyondTheLimit : public PageEditLimits {};

// A stored number wider than its edit is shown whole and corrected, not cut; the user can only
// shorten it.
TEST_P(StoredNumberBeyondTheLimit, IsShownWholeAndCorrected) {
    const EditCase& c = GetParam();
    ConverterConfig r = everythingOn();
    r.bytes[c.field] = 255;
    openOn(r, c.page);
    auto* edit = control<FilterEdit>(c.control);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "255");

    edit->insert(QStringLiteral("1"));
    QTest::keyClicks(edit, QStringLiteral("1"));
    commit(edit, QStringLiteral("1"));
    EXPECT_EQ(edit->text(), "255") << "nothing is added to a value wider than the limit";
    expectStored(QStringLiteral("255"));

    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "25");
}

INSTANTIATE_TEST_SUITE_P(NarrowNumbers, StoredNumberBeyondTheLimit, ::testing::ValuesIn([] {
                             std::vector<EditCase> narrow;
                             for (const EditCase& c : kEdits) {
                                 if (c.stored == Stored::Number && c.scale == 1 && c.limit < 3) {
                                     narrow.push_back(c);
                                 }
                             }
                             return narrow;
                         }()),
                         [](const ::testing::TestParamInfo<EditCase>& info) {
                             return "Page" + std::to_string(info.param.page) + "_" +
                                    info.param.control;
                         });

class PageEditTable : public ViewTest {};

// The table above covers every edit the pages have.
TEST_F(PageEditTable, HoldsEveryEditOfEveryPage) {
    for (int page : {11, 12, 21, 22, 23, 24, 41}) {
        SCOPED_TRACE(page);
        openOn(everythingOn(), page);
        std::set<std::string> onPage;
        for (const QLineEdit* edit : view->page()->findChildren<QLineEdit*>()) {
            onPage.insert(edit->objectName().toStdString());
        }
        std::set<std::string> inTable;
        for (const EditCase& c : kEdits) {
            if (c.page == page) {
                inTable.insert(c.control);
            }
        }
        EXPECT_EQ(onPage, inTable);
    }
}

} // namespace
