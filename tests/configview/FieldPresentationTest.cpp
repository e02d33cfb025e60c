// The presentation table against the pages built for real: every input control has its row, the
// rows stand in form order with the labels a screen reader reads, and each row's part of the
// record shows in its control exactly as the table says.
#include "configview/FieldPresentation.h"
#include "config/CodeField.h"
#include "configview/PageTable.h"
#include "language/AccessibleNames.h"

#include "ViewTestSupport.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>

#include <algorithm>
#include <set>
#include <string>

using namespace vandrel;
using namespace vandrel::test;

namespace {

const int kEditingPages[] = {11, 12, 21, 22, 23, 24};

// Everything a page shows other than as stored: numbers out of range, values without a radio
// or list entry, flag bytes full, texts empty.
ConverterConfig outOfRange() {
    ConverterConfig r = Defaults();
    for (const ConfigField& f : kConfigFields) {
        if (f.rules.editing != Editing::Page) {
            continue;
        }
        if (f.kind == FieldKind::Number) {
            r.bytes[f.offset] = f.rules.bits != 0 ? 0xFF : 0xF7;
        } else if (f.kind == FieldKind::CodeField || f.kind == FieldKind::CountedText) {
            SetCodeFieldText(r, f.offset, "");
        }
    }
    r.bytes[ConfigOffset::p12Scaled] = 3;
    return r;
}

// `record` with the row's part set to another value the row can show: for radios and lists
// each other choice in turn, for check boxes the bits turned over, for edits another number in
// range or a longer text.
std::vector<ConverterConfig> otherValues(const FieldPresentation& row, const ConverterConfig& base,
                                         const LanguageManager& language) {
    const ConfigField& f = PresentedField(row);
    std::vector<ConverterConfig> others;
    auto with = [&](std::uint8_t byte) {
        ConverterConfig r = base;
        r.bytes[f.offset] = byte;
        others.push_back(r);
    };
    const std::uint8_t byte = base.bytes[f.offset];
    switch (row.kind) {
    case ControlKind::Edit:
        if (f.kind == FieldKind::Number) {
            with(static_cast<std::uint8_t>(byte == f.rules.high ? f.rules.low : f.rules.high));
        } else {
            ConverterConfig r = base;
            StoreFieldText(r, f, FieldText(base, f) + std::string(1, f.rules.characters.back()));
            others.push_back(r);
        }
        break;
    case ControlKind::CheckBox:
        with(row.mask != 0 ? static_cast<std::uint8_t>(byte ^ row.mask)
                           : static_cast<std::uint8_t>(ShownNumber(base, f) == 1 ? 0 : 1));
        break;
    case ControlKind::RadioGroup:
    case ControlKind::List:
        for (const ShownChoice& choice : row.choices) {
            const auto value = static_cast<std::uint8_t>(
                row.mask != 0 ? (byte & ~row.mask) | choice.value : choice.value);
            ConverterConfig r = base;
            r.bytes[f.offset] = value;
            if (ShownValue(row, r, language) != ShownValue(row, base, language)) {
                others.push_back(r);
            }
        }
        break;
    }
    return others;
}

class FieldPresentationTest : public ViewTest {};

TEST_F(FieldPresentationTest, EveryInputControlOfTheEditingPagesHasItsRow) {
    for (const int pageId : kEditingPages) {
        SCOPED_TRACE("page " + std::to_string(pageId));
        openOn(AllOn(), pageId);
        QWidget* page = view->page();
        std::set<QWidget*> covered;
        for (const FieldPresentation* row : PresentationsOf(pageId)) {
            QWidget* control = PresentedControl(*row, page);
            ASSERT_NE(control, nullptr) << row->control;
            switch (row->kind) {
            case ControlKind::Edit:
                EXPECT_NE(qobject_cast<QLineEdit*>(control), nullptr) << row->control;
                break;
            case ControlKind::CheckBox:
                EXPECT_NE(qobject_cast<QCheckBox*>(control), nullptr) << row->control;
                break;
            case ControlKind::List:
                EXPECT_NE(qobject_cast<QComboBox*>(control), nullptr) << row->control;
                break;
            case ControlKind::RadioGroup: {
                ASSERT_NE(qobject_cast<QGroupBox*>(control), nullptr) << row->control;
                // The group's radios are the row's choices, all of them.
                const auto radios = control->findChildren<QRadioButton*>();
                EXPECT_EQ(radios.size(), static_cast<qsizetype>(row->choices.size()));
                for (const ShownChoice& choice : row->choices) {
                    auto* radio =
                        control->findChild<QRadioButton*>(QString::fromLatin1(choice.control));
                    ASSERT_NE(radio, nullptr) << choice.control;
                    covered.insert(radio);
                }
                break;
            }
            }
            covered.insert(control);
        }
        for (QWidget* w : page->findChildren<QWidget*>()) {
            const bool input = qobject_cast<QLineEdit*>(w) != nullptr ||
                               qobject_cast<QAbstractButton*>(w) != nullptr ||
                               qobject_cast<QComboBox*>(w) != nullptr;
            // A list's popup is a window of its own.
            if (input && w->window() == page->window()) {
                EXPECT_TRUE(covered.count(w)) << w->objectName().toStdString() << " has no row";
            }
        }
    }
    for (const FieldPresentation& row : FieldPresentations()) {
        EXPECT_TRUE(std::find(std::begin(kEditingPages), std::end(kEditingPages), row.pageId) !=
                    std::end(kEditingPages))
            << row.control;
    }
}

TEST_F(FieldPresentationTest, RowsStandInPageTreeAndFormOrderWithTheNamesAScreenReaderReads) {
    // Pages in tree order.
    std::vector<int> pages;
    for (const FieldPresentation& row : FieldPresentations()) {
        if (pages.empty() || pages.back() != row.pageId) {
            pages.push_back(row.pageId);
        }
    }
    EXPECT_EQ(pages, std::vector<int>(std::begin(kEditingPages), std::end(kEditingPages)));

    for (const int pageId : kEditingPages) {
        SCOPED_TRACE("page " + std::to_string(pageId));
        openOn(AllOn(), pageId);
        const QList<QWidget*> formOrder = view->page()->findChildren<QWidget*>();
        qsizetype previous = -1;
        for (const FieldPresentation* row : PresentationsOf(pageId)) {
            QWidget* control = PresentedControl(*row, view->page());
            ASSERT_NE(control, nullptr);
            const qsizetype at = formOrder.indexOf(control);
            EXPECT_GT(at, previous) << row->control << " stands before the row above it";
            previous = at;

            const QString label = PresentationLabel(*row, language);
            EXPECT_FALSE(label.isEmpty()) << row->control;
            if (row->kind == ControlKind::RadioGroup) {
                EXPECT_EQ(label,
                          AccessibleNames::Spoken(qobject_cast<QGroupBox*>(control)->title()))
                    << row->control;
            } else {
                QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
                ASSERT_NE(iface, nullptr);
                EXPECT_EQ(label.toStdString(),
                          AccessibleNames::Spoken(iface->text(QAccessible::Name)).toStdString())
                    << row->control;
            }
        }
    }
}

// For each row, from several starting records: the page shows each record's value as the table
// does, and a record changed only in the row's field or bits shows differently in that control.
TEST_F(FieldPresentationTest, EachRowsPartShowsInItsControlAsTheTableSays) {
    for (const FieldPresentation& row : FieldPresentations()) {
        SCOPED_TRACE(std::string("page ") + std::to_string(row.pageId) + " " + row.control);
        for (const ConverterConfig& base : {AllOn(), Defaults(), outOfRange()}) {
            openOn(base, row.pageId);
            const QString before = ControlValue(row, view->page(), language);
            EXPECT_EQ(before.toStdString(), ShownValue(row, base, language).toStdString());
        }
        const ConverterConfig base = AllOn();
        const QString shownBefore = ShownValue(row, base, language);
        const std::vector<ConverterConfig> others = otherValues(row, base, language);
        ASSERT_FALSE(others.empty());
        for (const ConverterConfig& other : others) {
            SCOPED_TRACE(Differences(base, other));
            openOn(other, row.pageId);
            const QString after = ControlValue(row, view->page(), language);
            EXPECT_EQ(after.toStdString(), ShownValue(row, other, language).toStdString());
            EXPECT_NE(after.toStdString(), shownBefore.toStdString());
        }
    }
}

} // namespace
