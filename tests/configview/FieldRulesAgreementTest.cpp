// The field table's rules against what the pages do: character sets and limits of the edits,
// numbers shown, corrected and stored, fallbacks, the bits each page owns, mandatory switches.
#include "config/CodeField.h"
#include "config/ConfigFields.h"
#include "configview/FilterEdit.h"

#include "ViewTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>

#include <map>
#include <set>
#include <string>

using namespace vandrel;
using namespace vandrel::test;

namespace {

// Which edit of which page shows which field.
struct EditOfField {
    int page;
    const char* control;
    const char* field;
};

const EditOfField kEdits[] = {
    {11, "ctl1000", "p11Number"},   {11, "ctl1007", "p11Count"},    {12, "ctl1000", "number1"},
    {12, "ctl1007", "number2"},     {12, "ctl1024", "p12Value1"},   {12, "ctl1025", "p12Code"},
    {12, "ctl1028", "p12Digits"},   {12, "ctl1029", "p12Value4"},   {12, "ctl1026", "p12Value2"},
    {12, "ctl1027", "p12Value3"},   {12, "ctl1022", "p12Scaled"},   {21, "ctl1000", "p21Code1On"},
    {21, "ctl1007", "p21Code1Off"}, {21, "ctl1022", "p21Code2On"},  {21, "ctl1024", "p21Code2Off"},
    {21, "ctl1025", "p21Code3On"},  {21, "ctl1026", "p21Code3Off"}, {22, "ctl1000", "p22Code1"},
    {22, "ctl1007", "p22Code2"},    {22, "ctl1022", "p22Code3"},    {22, "ctl1024", "p22Code4"},
    {22, "ctl1025", "p22Code5"},    {22, "ctl1026", "p22Code6"},    {22, "ctl1027", "p22Code7"},
    {23, "ctl1000", "p23Code"},     {24, "ctl1000", "p24Code"},
};

// Radios, check boxes and lists whose byte is one value of a range.
const std::pair<int, const char*> kChoices[] = {
    {11, "p11Choice"},      {12, "p12ListIndex"},   {12, "number1OptionA"},
    {12, "number2OptionA"}, {12, "number1OptionB"}, {12, "number2OptionB"},
};

// Pages that own bits of flag bytes.
const int kFlagPages[] = {11, 12, 21, 22, 23, 24};

const ConfigField& field(const char* name) {
    const ConfigField* found = FindConfigField(name);
    EXPECT_NE(found, nullptr) << name;
    return found != nullptr ? *found : kConfigFields.front();
}

std::uint32_t number(const QString& text) {
    bool ok = false;
    const std::uint32_t value = text.toUInt(&ok);
    return ok ? value : 0;
}

class FieldRulesAgreement : public ViewTest {
protected:
    FilterEdit* edit(const EditOfField& e) { return control<FilterEdit>(e.control); }
};

TEST_F(FieldRulesAgreement, EveryFieldThePagesEditIsCheckedHere) {
    std::set<std::string> covered;
    for (const EditOfField& e : kEdits) {
        covered.insert(e.field);
    }
    for (const auto& [page, name] : kChoices) {
        covered.insert(name);
    }
    for (const ConfigField& f : kConfigFields) {
        if (f.rules.bits != 0) {
            covered.insert(std::string(f.name));
        }
    }
    for (const ConfigField& f : kConfigFields) {
        EXPECT_EQ(covered.count(std::string(f.name)), f.rules.editing == Editing::Page ? 1u : 0u)
            << f.name;
    }
}

TEST_F(FieldRulesAgreement, EditsTakeTheFieldsCharactersAndLimit) {
    for (const EditOfField& e : kEdits) {
        SCOPED_TRACE(e.field);
        openOn(AllOn(), e.page);
        FilterEdit* control = edit(e);
        ASSERT_NE(control, nullptr);
        const FieldRules& rules = field(e.field).rules;
        EXPECT_EQ(control->characterSet(),
                  QString::fromLatin1(rules.characters.data(), rules.characters.size()));
        EXPECT_EQ(control->limit(), static_cast<int>(rules.limit));
    }
}

// Each number edit, for stored values around its range and typed values around it: what the page
// shows, keeps while typing, corrects on leaving and stores is what the table computes.
TEST_F(FieldRulesAgreement, NumbersFollowTheTable) {
    for (const EditOfField& e : kEdits) {
        const ConfigField& f = field(e.field);
        if (f.kind != FieldKind::Number) {
            continue;
        }
        const FieldRules& r = f.rules;
        for (const std::uint32_t stored : {0u, r.low, r.high, r.high + 1, 255u}) {
            if (stored > 255) {
                continue;
            }
            ConverterConfig base = AllOn();
            base.bytes[f.offset] = static_cast<std::uint8_t>(stored);
            openOn(base, e.page);
            EXPECT_EQ(number(edit(e)->text()), ShownNumber(base, f))
                << e.field << " stored " << stored;
        }
        const std::string typedValues[] = {"0",
                                           std::to_string(r.low * r.scale),
                                           std::to_string(r.high * r.scale),
                                           std::to_string(r.high * r.scale + 1),
                                           std::to_string(r.high * r.scale + 3),
                                           "9999",
                                           ""};
        for (const std::string& typed : typedValues) {
            for (const bool leave : {true, false}) {
                SCOPED_TRACE(std::string(e.field) + " typed '" + typed + "'" +
                             (leave ? " and left" : ""));
                const ConverterConfig base = AllOn();
                openOn(base, e.page);
                FilterEdit* control = edit(e);
                control->clear();
                // What the table says the edit holds after each key.
                QString expected;
                std::uint32_t kept = 0;
                for (const char c : typed) {
                    if (expected.size() >= static_cast<qsizetype>(r.limit)) {
                        continue;
                    }
                    const QString candidate = expected + QLatin1Char(c);
                    if (TypingKeeps(f, number(candidate), kept)) {
                        expected = candidate;
                        kept = number(candidate);
                    } else {
                        expected = QString::number(kept);
                    }
                }
                QTest::keyClicks(control, QString::fromStdString(typed));
                EXPECT_EQ(control->text(), expected);
                if (leave) {
                    vandrel::test::leave(control);
                    expected = QString::number(CorrectedNumber(f, number(expected)));
                    EXPECT_EQ(control->text(), expected);
                }
                ASSERT_TRUE(view->CollectPage());
                EXPECT_EQ(record.bytes[f.offset], StoredNumber(base, f, number(expected)));
            }
        }
    }
}

TEST_F(FieldRulesAgreement, ChoicesFallBackAsTheTableSays) {
    for (const auto& [page, name] : kChoices) {
        const ConfigField& f = field(name);
        for (std::uint32_t stored = 0; stored <= 256; stored += stored < 12 ? 1 : 244) {
            SCOPED_TRACE(std::string(name) + " stored " + std::to_string(stored));
            ConverterConfig base = AllOn();
            base.bytes[f.offset] = static_cast<std::uint8_t>(stored);
            openOn(base, page);
            ASSERT_TRUE(view->CollectPage());
            EXPECT_EQ(record.bytes[f.offset], StoredNumber(base, f, ShownNumber(base, f)));
        }
    }
}

// Every check box clicked, every radio that was off switched on, every list moved: a page changes
// no bit the table keeps, and the pages together change every bit the table gives them.
TEST_F(FieldRulesAgreement, PagesChangeTheBitsTheTableGivesThemAndNoOthers) {
    std::map<std::string, std::uint8_t> changed;
    for (const int page : kFlagPages) {
        for (const std::uint8_t start : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
            SCOPED_TRACE("page " + std::to_string(page) + " from " + std::to_string(start));
            ConverterConfig base = AllOn();
            for (const ConfigField& f : kConfigFields) {
                if (f.rules.bits != 0) {
                    base.bytes[f.offset] = start;
                }
            }
            openOn(base, page);
            std::vector<QRadioButton*> off;
            for (QRadioButton* radio : view->page()->findChildren<QRadioButton*>()) {
                if (!radio->isChecked()) {
                    off.push_back(radio);
                }
            }
            for (QCheckBox* box : view->page()->findChildren<QCheckBox*>()) {
                box->click();
            }
            for (QRadioButton* radio : off) {
                radio->click();
            }
            for (QComboBox* list : view->page()->findChildren<QComboBox*>()) {
                list->setCurrentIndex(list->currentIndex() == 1 ? 0 : 1);
            }
            ASSERT_TRUE(view->CollectPage());
            for (const ConfigField& f : kConfigFields) {
                if (f.rules.bits == 0) {
                    continue;
                }
                const auto bits = static_cast<std::uint8_t>(record.bytes[f.offset] ^ start);
                EXPECT_EQ(bits & ~f.rules.bits, 0) << f.name;
                changed[std::string(f.name)] |= bits;
            }
        }
    }
    for (const ConfigField& f : kConfigFields) {
        if (f.rules.bits != 0) {
            EXPECT_EQ(changed[std::string(f.name)], f.rules.bits) << f.name;
        }
    }
}

TEST_F(FieldRulesAgreement, ABitThatNeedsAnotherIsClearedWithoutIt) {
    const ConfigField& flags = field("enableBits");
    ASSERT_NE(flags.rules.bitNeeds.bit, 0);
    ConverterConfig base = AllOn();
    base.bytes[flags.offset] = flags.rules.bitNeeds.bit;
    openOn(base, 22);
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[flags.offset], 0);
}

// A switched-on mandatory text that is empty stops the collect; an optional one does not; with
// the switch off an emptied text is stored as the table stores it.
TEST_F(FieldRulesAgreement, SwitchesAndEmptyTexts) {
    for (const EditOfField& e : kEdits) {
        const ConfigField& f = field(e.field);
        if (f.kind == FieldKind::Number) {
            continue;
        }
        SCOPED_TRACE(e.field);
        const FieldSwitch& s = f.rules.fieldSwitch;
        ConverterConfig base = AllOn();
        SetCodeFieldText(base, f.offset, "");
        openOn(base, e.page);
        EXPECT_EQ(edit(e)->isEnabled(), SwitchOn(base, f));
        EXPECT_EQ(view->CollectPage(), !s.mandatory);

        base = AllOn();
        base.bytes[s.offset] &= static_cast<std::uint8_t>(~s.mask);
        SetCodeFieldText(base, f.offset, "123");
        openOn(base, e.page);
        EXPECT_EQ(edit(e)->isEnabled(), s.mask == 0);
        edit(e)->setText(QString());
        ASSERT_TRUE(view->CollectPage());
        ConverterConfig expected = base;
        StoreFieldText(expected, f, "");
        for (std::size_t i = 0; i <= kCodeFieldChars; ++i) {
            EXPECT_EQ(record.bytes[f.offset + i], expected.bytes[f.offset + i]) << i;
        }
    }
    // A number under a switch that is off shows and stores 0.
    const ConfigField& number = field("p11Number");
    ConverterConfig base = AllOn();
    base.bytes[number.rules.fieldSwitch.offset] = 0;
    base.bytes[number.offset] = 12;
    openOn(base, 11);
    EXPECT_EQ(control<QLineEdit>("ctl1000")->text(), QString::number(ShownNumber(base, number)));
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[number.offset], StoredNumber(base, number, 55));
}

} // namespace
