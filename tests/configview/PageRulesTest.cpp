// What the pages do while the user works on them.
#include "config/CodeField.h"
#include "config/ConfigFields.h"
#include "configview/FilterEdit.h"
#include "language/TextIds.h"

#include "ViewTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

using namespace vandrel;
using namespace vandrel::test;
using namespace vandrel::ConfigOffset;

namespace {

QString characters(std::string_view set) {
    return QString::fromLatin1(set.data(), static_cast<qsizetype>(set.size()));
}

class PageRules : public ViewTest {
protected:
    void type(const char* edit, const QString& text) {
        auto* e = control<QLineEdit>(edit);
        e->clear();
        QTest::keyClicks(e, text);
    }
    QString shown(const char* edit) { return control<QLineEdit>(edit)->text(); }
    bool enabled(const char* name) { return control(name)->isEnabled(); }
};

TEST_F(PageRules, Page11NumberKeepsTheLastAcceptedValue) {
    ConverterConfig r = Defaults();
    r.bytes[p11Select] = 1;
    r.bytes[p11Number] = 12;
    openOn(r, 11);
    EXPECT_EQ(shown("ctl1000"), "12");
    type("ctl1000", "200");
    EXPECT_EQ(shown("ctl1000"), "20");
    type("ctl1000", "127");
    EXPECT_EQ(shown("ctl1000"), "127");
    type("ctl1000", "");
    leave(control("ctl1000"));
    EXPECT_EQ(shown("ctl1000"), "0");
}

TEST_F(PageRules, Page11ListSwitchesTheNumber) {
    ConverterConfig r = Defaults();
    r.bytes[p11Number] = 12; // bit 0 of p11Select clear: the number does not count
    openOn(r, 11);
    EXPECT_EQ(shown("ctl1000"), "0");
    EXPECT_FALSE(enabled("ctl1000"));
    EXPECT_FALSE(enabled("ctl1003"));
    auto* list = control<QComboBox>("ctl1001");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), text(805));
    EXPECT_EQ(list->itemText(1), text(806));
    list->setCurrentIndex(1);
    EXPECT_TRUE(enabled("ctl1000"));
    EXPECT_TRUE(enabled("ctl1003"));
    type("ctl1000", "55");
    list->setCurrentIndex(0);
    EXPECT_FALSE(enabled("ctl1000"));
    EXPECT_EQ(shown("ctl1000"), "0");
    // Showing 0 for the stored 12 is a change the collect reports.
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[p11Number], 0);
    EXPECT_TRUE(document.isModified());
}

TEST_F(PageRules, Page11ChoiceOutsideItsValuesShowsTheFirstRadio) {
    ConverterConfig r = Defaults();
    r.bytes[p11Choice] = 7;
    r.bytes[p11Options] = 0xFE; // bits 2..7 belong to nobody and stay
    openOn(r, 11);
    EXPECT_TRUE(control<QRadioButton>("ctl1016")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("ctl1012")->isChecked() == false);
    EXPECT_TRUE(control<QRadioButton>("ctl1057")->isChecked());
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[p11Choice], 1);
    EXPECT_EQ(record.bytes[p11Options], 0xFE);
}

struct RangeCase {
    int pageId;
    const char* edit;
    const char* typed;
    const char* corrected;
};

class RangeCorrection : public PageRules, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeCorrection, LeavingTheEditCorrectsItsNumber) {
    const RangeCase& c = GetParam();
    openOn(Defaults(), c.pageId);
    type(c.edit, QString::fromLatin1(c.typed));
    EXPECT_EQ(shown(c.edit), QString::fromLatin1(c.typed)) << "corrected while typing";
    leave(control(c.edit));
    EXPECT_EQ(shown(c.edit), QString::fromLatin1(c.corrected));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RangeCorrection,
    ::testing::Values(RangeCase{11, "ctl1007", "0", "1"}, RangeCase{11, "ctl1007", "31", "30"},
                      RangeCase{11, "ctl1007", "", "1"}, RangeCase{11, "ctl1007", "07", "7"},
                      RangeCase{12, "ctl1024", "0", "1"}, RangeCase{12, "ctl1024", "31", "30"},
                      RangeCase{12, "ctl1026", "0", "1"}, RangeCase{12, "ctl1026", "99", "30"},
                      RangeCase{12, "ctl1027", "1", "2"}, RangeCase{12, "ctl1027", "21", "20"},
                      RangeCase{12, "ctl1029", "0", "1"}, RangeCase{12, "ctl1029", "7", "6"},
                      RangeCase{12, "ctl1022", "1003", "1000"},
                      RangeCase{12, "ctl1022", "9999", "1275"},
                      RangeCase{12, "ctl1022", "39", "40"}, RangeCase{12, "ctl1022", "44", "40"},
                      RangeCase{12, "ctl1022", "", "40"}, RangeCase{12, "ctl1022", "1275", "1275"}),
    [](const ::testing::TestParamInfo<RangeCase>& info) {
        return "Page" + std::to_string(info.param.pageId) + "_" + info.param.edit + "_" +
               (*info.param.typed ? info.param.typed : "empty");
    });

TEST_F(PageRules, Page12ScaledValueBelowItsRangeShowsTheLowest) {
    ConverterConfig r = Defaults();
    r.bytes[p12Scaled] = 3;
    openOn(r, 12);
    EXPECT_EQ(shown("ctl1022"), "40");
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[p12Scaled], 8);
    EXPECT_TRUE(document.isModified());
}

TEST_F(PageRules, Page12SwitchesEnableTheirFields) {
    ConverterConfig r = Defaults();
    r.bytes[enableBits2] = 0x01;
    SetCodeFieldText(r, p12Digits, "12");
    openOn(r, 12);
    EXPECT_FALSE(enabled("ctl1025"));
    EXPECT_FALSE(enabled("ctl1002"));
    EXPECT_TRUE(enabled("ctl1028"));
    EXPECT_TRUE(enabled("ctl1004"));
    control<QAbstractButton>("ctl1014")->click();
    control<QAbstractButton>("ctl1055")->click();
    EXPECT_TRUE(enabled("ctl1025"));
    EXPECT_TRUE(enabled("ctl1002"));
    EXPECT_FALSE(enabled("ctl1028"));
    EXPECT_FALSE(enabled("ctl1004"));
    EXPECT_EQ(control<FilterEdit>("ctl1025")->characterSet(),
              characters(FieldCharacters::DialCodes));
    EXPECT_EQ(control<FilterEdit>("ctl1028")->characterSet(), characters(FieldCharacters::Digits));
}

TEST_F(PageRules, Page12ListLeavesOutEntriesWithoutText) {
    WorkFolder work;
    work.write("LANG.INI", "[general]\nnum_languages=1\n[language files]\n1=t.lng\n");
    work.write("t.lng", "[general]\nversion=1.3.2.0\n[strings]\n951=A\n953=C\n954=\n956=F\n"
                        "959=I\n");
    language.setLanguageFolders({});
    ASSERT_TRUE(language.Load(1));

    ConverterConfig r = Defaults();
    r.bytes[p12ListIndex] = 8;
    openOn(r, 12);
    auto* list = control<QComboBox>("ctl1001");
    ASSERT_EQ(list->count(), 4);
    const int indexes[] = {0, 2, 5, 8};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->itemData(i).toInt(), indexes[i]);
    }
    EXPECT_EQ(list->currentText(), "I");
    list->setCurrentIndex(1);
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[p12ListIndex], 2);

    // A stored index whose entry is missing selects nothing and is collected as 5.
    r.bytes[p12ListIndex] = 1;
    openOn(r, 12);
    EXPECT_EQ(control<QComboBox>("ctl1001")->currentIndex(), -1);
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[p12ListIndex], 5);
    EXPECT_TRUE(document.isModified());
}

TEST_F(PageRules, Page21SwitchesEnableTheirPairs) {
    ConverterConfig r = Defaults();
    r.bytes[enableBits] = 0x02;
    openOn(r, 21);
    struct Pair {
        const char* toggle;
        const char* controls[4];
    };
    const Pair pairs[] = {{"ctl1010", {"ctl1000", "ctl1003", "ctl1007", "ctl1002"}},
                          {"ctl1013", {"ctl1022", "ctl1033", "ctl1024", "ctl1034"}},
                          {"ctl1014", {"ctl1025", "ctl1043", "ctl1026", "ctl1044"}}};
    auto expectPairs = [&](bool first, bool second, bool third) {
        const bool on[] = {first, second, third};
        for (int p = 0; p < 3; ++p) {
            EXPECT_EQ(control<QAbstractButton>(pairs[p].toggle)->isChecked(), on[p]);
            for (const char* name : pairs[p].controls) {
                EXPECT_EQ(enabled(name), on[p]) << name;
            }
        }
    };
    expectPairs(false, true, false);
    control<QAbstractButton>("ctl1010")->click();
    control<QAbstractButton>("ctl1013")->click();
    expectPairs(true, false, false);
    EXPECT_EQ(control<FilterEdit>("ctl1026")->characterSet(),
              characters(FieldCharacters::DialCodesN));
    EXPECT_EQ(control<FilterEdit>("ctl1026")->limit(),
              static_cast<int>(FindConfigField("p21Code3Off")->rules.limit));
}

// Which controls of page 22 a pair of switch bits enables.
struct Page22Case {
    std::uint8_t bits;
    bool mainChecked;
    bool moreChecked;
};

class Page22Switches : public PageRules, public ::testing::WithParamInterface<Page22Case> {};

TEST_P(Page22Switches, SecondSwitchCountsOnlyUnderTheFirst) {
    const Page22Case& c = GetParam();
    ConverterConfig r = Defaults();
    r.bytes[enableBits] = c.bits;
    openOn(r, 22);
    EXPECT_EQ(control<QAbstractButton>("ctl1010")->isChecked(), c.mainChecked);
    EXPECT_EQ(control<QAbstractButton>("ctl1013")->isChecked(), c.moreChecked);
    for (const char* name : {"ctl1000", "ctl1003", "ctl1007", "ctl1002", "ctl1013"}) {
        EXPECT_EQ(enabled(name), c.mainChecked) << name;
    }
    for (const char* name : {"ctl1022", "ctl1033", "ctl1034", "ctl1024", "ctl1043", "ctl1025",
                             "ctl1044", "ctl1026", "ctl1045", "ctl1027", "ctl1046"}) {
        EXPECT_EQ(enabled(name), c.moreChecked) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Bits, Page22Switches,
                         ::testing::Values(Page22Case{0x00, false, false},
                                           Page22Case{0x08, true, false},
                                           Page22Case{0x10, false, false},
                                           Page22Case{0x18, true, true}));

TEST_F(PageRules, Page22UncheckingTheMainSwitchDropsTheSecond) {
    ConverterConfig r = Defaults();
    r.bytes[enableBits] = 0x18 | 0x01;
    SetCodeFieldText(r, p22Code3, "");
    openOn(r, 22);
    control<QAbstractButton>("ctl1010")->click();
    EXPECT_FALSE(control<QAbstractButton>("ctl1013")->isChecked());
    EXPECT_FALSE(enabled("ctl1013"));
    EXPECT_FALSE(enabled("ctl1022"));
    // Checking the main switch again leaves the second one off.
    control<QAbstractButton>("ctl1010")->click();
    EXPECT_FALSE(control<QAbstractButton>("ctl1013")->isChecked());
    EXPECT_FALSE(enabled("ctl1022"));
    control<QAbstractButton>("ctl1010")->click();
    // The empty p22Code3 is no longer required.
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[enableBits], 0x01);
}

TEST_F(PageRules, Pages23And24SwitchTheirCode) {
    for (int pageId : {23, 24}) {
        openOn(Defaults(), pageId);
        EXPECT_FALSE(enabled("ctl1000")) << pageId;
        EXPECT_FALSE(enabled("ctl1003")) << pageId;
        control<QAbstractButton>("ctl1010")->click();
        EXPECT_TRUE(enabled("ctl1000")) << pageId;
        EXPECT_TRUE(enabled("ctl1003")) << pageId;
        EXPECT_EQ(
            control<FilterEdit>("ctl1000")->characterSet(),
            characters(pageId == 23 ? FieldCharacters::DialCodesR : FieldCharacters::DialCodesRN));
        EXPECT_EQ(control<QAbstractButton>("ctl1010")->text(), text(pageId == 23 ? 1200 : 1250));
        EXPECT_EQ(control<QLabel>("ctl1003")->text(), text(pageId == 23 ? 1201 : 1251));
    }
}

TEST_F(PageRules, Page41ShowsTheDeviceInfoOrTheUnknownText) {
    ASSERT_TRUE(view->OpenDocument());
    ASSERT_TRUE(showPage(41));
    for (const char* value : {"ctl1003", "ctl1002", "ctl1033"}) {
        EXPECT_EQ(control<QLabel>(value)->text(), text(1303)) << value;
    }
    EXPECT_EQ(control<QLabel>("lbl1300")->text(), text(1300));

    DeviceInfo info;
    SetVersionText(info.firmwareVersion, "V2.10 <beta>");
    info.systemInfoNumber = 254;
    document.takeDeviceInfo(info);
    ASSERT_TRUE(showPage(4));
    ASSERT_TRUE(showPage(41));
    EXPECT_EQ(control<QLabel>("ctl1003")->text(), "V2.10 <beta>");
    EXPECT_EQ(control<QLabel>("ctl1002")->text(), text(1303));
    EXPECT_EQ(control<QLabel>("ctl1033")->text(), "254");
    // New information reaches the page while it is shown.
    info.systemInfoNumber = 0;
    document.takeDeviceInfo(info);
    EXPECT_EQ(view->currentPage(), 41);
    EXPECT_EQ(control<QLabel>("ctl1033")->text(), "0");
}

} // namespace
