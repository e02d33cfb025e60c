#include "configview/FieldPresentation.h"

#include "configview/PageTable.h"
#include "language/AccessibleNames.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <iterator>

namespace vandrel {

namespace {

using K = ControlKind;
using namespace text;

// Radios and lists: which entry stands for which value.
constexpr ShownChoice kP11Select[] = {{0, P11SelectFirst, nullptr}, {1, P11SelectSecond, nullptr}};
constexpr ShownChoice kP11Options[] = {{0, P11OptionsFirst, "ctl1011"},
                                       {1, P11OptionsSecond, "ctl1012"}};
constexpr ShownChoice kP11Options2[] = {{0, P11Options2First, "ctl1056"},
                                        {2, P11Options2Second, "ctl1057"}};
constexpr ShownChoice kP11Choice[] = {
    {1, P11Choice1, "ctl1016"}, {2, P11Choice2, "ctl1017"}, {3, P11Choice3, "ctl1023"}};
constexpr ShownChoice kP12Flag[] = {{1, P12FlagFirst, "ctl1011"}, {0, P12FlagSecond, "ctl1012"}};
constexpr ShownChoice kP12Signalling[] = {{0x10, P12Radio931, "ctl1016"},
                                          {0, P12Radio932, "ctl1017"}};
constexpr ShownChoice kP12List[] = {
    {0, P12ListFirst, nullptr},     {1, P12ListFirst + 1, nullptr}, {2, P12ListFirst + 2, nullptr},
    {3, P12ListFirst + 3, nullptr}, {4, P12ListFirst + 4, nullptr}, {5, P12ListFirst + 5, nullptr},
    {6, P12ListFirst + 6, nullptr}, {7, P12ListFirst + 7, nullptr}, {8, P12ListLast, nullptr},
};
static_assert(P12ListFirst + 8 == P12ListLast);

// clang-format off
constexpr FieldPresentation kRows[] = {
    {PageId::Page11, "ctl1001", K::List,       "p11Select",  0x01, P11SelectLabel,   0, kP11Select},
    {PageId::Page11, "ctl1000", K::Edit,       "p11Number",  0,    P11NumberLabel,   0, {}},
    {PageId::Page11, "grp810",  K::RadioGroup, "p11Options", 0x01, P11OptionsGroup,  0, kP11Options},
    {PageId::Page11, "grp840",  K::RadioGroup, "p11Options", 0x02, P11Options2Group, 0, kP11Options2},
    {PageId::Page11, "grp820",  K::RadioGroup, "p11Choice",  0,    P11ChoiceGroup,   0, kP11Choice},
    {PageId::Page11, "ctl1007", K::Edit,       "p11Count",   0,    P11CountLabel,    0, {}},

    {PageId::Page12, "ctl1000", K::Edit,       "number1",        0,    P12Number1Label,  0, {}},
    {PageId::Page12, "ctl1041", K::CheckBox,   "number1OptionA", 0,    P12NumberOptionA, P12Number1Label, {}},
    {PageId::Page12, "ctl1039", K::CheckBox,   "number1OptionB", 0,    P12NumberOptionB, P12Number1Label, {}},
    {PageId::Page12, "ctl1007", K::Edit,       "number2",        0,    P12Number2Label,  0, {}},
    {PageId::Page12, "ctl1042", K::CheckBox,   "number2OptionA", 0,    P12NumberOptionA, P12Number2Label, {}},
    {PageId::Page12, "ctl1040", K::CheckBox,   "number2OptionB", 0,    P12NumberOptionB, P12Number2Label, {}},
    {PageId::Page12, "grp910",  K::RadioGroup, "p12Flags",       0x01, P12FlagGroup,     0, kP12Flag},
    {PageId::Page12, "ctl1013", K::CheckBox,   "p12Flags",       0x02, P12Check921,      0, {}},
    {PageId::Page12, "ctl1024", K::Edit,       "p12Value1",      0,    P12Value1Label,   0, {}},
    {PageId::Page12, "ctl1014", K::CheckBox,   "enableBits",     0x80, P12CodeSwitch,    0, {}},
    {PageId::Page12, "ctl1025", K::Edit,       "p12Code",        0,    P12CodeLabel,     0, {}},
    {PageId::Page12, "ctl1055", K::CheckBox,   "enableBits2",    0x01, P12DigitsSwitch,  0, {}},
    {PageId::Page12, "ctl1028", K::Edit,       "p12Digits",      0,    P12DigitsLabel,   0, {}},
    {PageId::Page12, "ctl1029", K::Edit,       "p12Value4",      0,    P12Value4Label,   0, {}},
    {PageId::Page12, "ctl1015", K::CheckBox,   "p12Checks",      0x01, P12Check925,      P12Group920, {}},
    {PageId::Page12, "ctl1035", K::CheckBox,   "p12Checks",      0x02, P12Check971,      0, {}},
    {PageId::Page12, "ctl1049", K::CheckBox,   "p12Checks",      0x04, P12Check972,      P12Group970, {}},
    {PageId::Page12, "ctl1026", K::Edit,       "p12Value2",      0,    P12Value2Label,   0, {}},
    {PageId::Page12, "ctl1050", K::CheckBox,   "p12Checks",      0x08, P12Check981,      0, {}},
    {PageId::Page12, "ctl1051", K::CheckBox,   "p12Checks",      0x10, P12Check982,      0, {}},
    {PageId::Page12, "ctl1027", K::Edit,       "p12Value3",      0,    P12Value3Label,   0, {}},
    {PageId::Page12, "ctl1052", K::CheckBox,   "p12Checks",      0x20, P12Check925,      P12Group980, {}},
    {PageId::Page12, "ctl1053", K::CheckBox,   "p12Checks",      0x40, P12Check985,      0, {}},
    {PageId::Page12, "ctl1054", K::CheckBox,   "p12Checks",      0x80, P12Check972,      P12Group980, {}},
    {PageId::Page12, "grp930",  K::RadioGroup, "p12Flags",       0x10, P12Group930,      0, kP12Signalling},
    {PageId::Page12, "ctl1010", K::CheckBox,   "p12Flags",       0x20, P12Check939,      0, {}},
    {PageId::Page12, "ctl1022", K::Edit,       "p12Scaled",      0,    P12ScaledLabel,   0, {}},
    {PageId::Page12, "ctl1001", K::List,       "p12ListIndex",   0,    P12ListLabel,     0, kP12List},

    {PageId::Page21, "ctl1010", K::CheckBox, "enableBits",  0x01, P21Switch1,       0, {}},
    {PageId::Page21, "ctl1000", K::Edit,     "p21Code1On",  0,    P21Code1OnLabel,  P21Switch1, {}},
    {PageId::Page21, "ctl1007", K::Edit,     "p21Code1Off", 0,    P21Code1OffLabel, P21Switch1, {}},
    {PageId::Page21, "ctl1013", K::CheckBox, "enableBits",  0x02, P21Switch2,       0, {}},
    {PageId::Page21, "ctl1022", K::Edit,     "p21Code2On",  0,    P21Code2OnLabel,  P21Switch2, {}},
    {PageId::Page21, "ctl1024", K::Edit,     "p21Code2Off", 0,    P21Code2OffLabel, P21Switch2, {}},
    {PageId::Page21, "ctl1014", K::CheckBox, "enableBits",  0x04, P21Switch3,       0, {}},
    {PageId::Page21, "ctl1025", K::Edit,     "p21Code3On",  0,    P21Code3OnLabel,  P21Switch3, {}},
    {PageId::Page21, "ctl1026", K::Edit,     "p21Code3Off", 0,    P21Code3OffLabel, P21Switch3, {}},

    // The second switch is shown checked only while the first one is on as well.
    {PageId::Page22, "ctl1010", K::CheckBox, "enableBits", 0x08, P22Switch,     0, {}},
    {PageId::Page22, "ctl1000", K::Edit,     "p22Code1",   0,    P22Code1Label, 0, {}},
    {PageId::Page22, "ctl1007", K::Edit,     "p22Code2",   0,    P22Code2Label, 0, {}},
    {PageId::Page22, "ctl1013", K::CheckBox, "enableBits", 0x18, P22MoreSwitch, 0, {}},
    {PageId::Page22, "ctl1022", K::Edit,     "p22Code3",   0,    P22Code3Label, 0, {}},
    {PageId::Page22, "ctl1024", K::Edit,     "p22Code4",   0,    P22Code4Label, 0, {}},
    {PageId::Page22, "ctl1025", K::Edit,     "p22Code5",   0,    P22Code5Label, 0, {}},
    {PageId::Page22, "ctl1026", K::Edit,     "p22Code6",   0,    P22Code6Label, 0, {}},
    {PageId::Page22, "ctl1027", K::Edit,     "p22Code7",   0,    P22Code7Label, 0, {}},

    {PageId::Page23, "ctl1010", K::CheckBox, "enableBits", 0x20, P23Switch,    0, {}},
    {PageId::Page23, "ctl1000", K::Edit,     "p23Code",    0,    P23CodeLabel, 0, {}},

    {PageId::Page24, "ctl1010", K::CheckBox, "enableBits", 0x40, P24Switch,    0, {}},
    {PageId::Page24, "ctl1000", K::Edit,     "p24Code",    0,    P24CodeLabel, 0, {}},
};
// clang-format on

// Every row names a field of the table; a mask stays within the bits pages edit, and whole
// values go with fields that pages edit.
constexpr bool RowsMatchTheFieldTable() {
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const std::size_t f = ConfigFieldIndex(kRows[i].field);
        if (f == kConfigFields.size() || kConfigFields[f].rules.editing != Editing::Page) {
            return false;
        }
        const std::uint8_t owned = kConfigFields[f].rules.bits;
        if (kRows[i].mask != 0 && (owned & kRows[i].mask) != kRows[i].mask) {
            return false;
        }
        if ((kRows[i].kind == K::RadioGroup || kRows[i].kind == K::List) &&
            kRows[i].choices.empty()) {
            return false;
        }
    }
    return true;
}
static_assert(RowsMatchTheFieldTable());

QString recordText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString valueWord(const LanguageManager& language, int id) {
    return language.Text(id, LanguageManager::ControlTextChars);
}

// A text as the page's edit shows it; an empty one in words.
QString shownText(const QString& text, const LanguageManager& language) {
    return text.isEmpty() ? valueWord(language, ValueEmpty) : text;
}

QString switchWord(bool on, const LanguageManager& language) {
    return valueWord(language, on ? ValueOn : ValueOff);
}

const ShownChoice* choiceOf(const FieldPresentation& row, std::uint32_t value) {
    for (const ShownChoice& choice : row.choices) {
        if (choice.value == value) {
            return &choice;
        }
    }
    return nullptr;
}

} // namespace

std::span<const FieldPresentation> FieldPresentations() {
    return kRows;
}

std::vector<const FieldPresentation*> PresentationsOf(int pageId) {
    std::vector<const FieldPresentation*> rows;
    for (const FieldPresentation& row : kRows) {
        if (row.pageId == pageId) {
            rows.push_back(&row);
        }
    }
    return rows;
}

const FieldPresentation* FindPresentation(int pageId, std::string_view control) {
    for (const FieldPresentation& row : kRows) {
        if (row.pageId == pageId && control == row.control) {
            return &row;
        }
    }
    return nullptr;
}

const ConfigField& PresentedField(const FieldPresentation& row) {
    // Every row names a field of the table: checked above when the program is built.
    return *FindConfigField(row.field);
}

std::vector<const ConfigField*> PresentedFields(const FieldPresentation& row) {
    const ConfigField& field = PresentedField(row);
    std::vector<const ConfigField*> fields{&field};
    if (field.kind == FieldKind::CountedText) {
        fields.push_back(FindConfigField(field.rules.counterpart));
    }
    return fields;
}

bool PresentsOffset(const FieldPresentation& row, std::size_t offset) {
    for (const ConfigField* field : PresentedFields(row)) {
        if (offset >= field->offset && offset < field->offset + field->size) {
            return true;
        }
    }
    return false;
}

QString PresentationLabel(const FieldPresentation& row, const LanguageManager& language) {
    const QString own =
        AccessibleNames::Spoken(language.Text(row.labelText, LanguageManager::ControlTextChars));
    if (row.contextText == 0) {
        return own;
    }
    return AccessibleNames::Spoken(
               language.Text(row.contextText, LanguageManager::ControlTextChars)) +
           QStringLiteral(": ") + own;
}

QString ShownValue(const FieldPresentation& row, const ConverterConfig& record,
                   const LanguageManager& language) {
    const ConfigField& field = PresentedField(row);
    const std::uint8_t byte = record.bytes[field.offset];
    switch (row.kind) {
    case K::Edit:
        if (field.kind == FieldKind::Number) {
            return QString::number(ShownNumber(record, field));
        }
        return shownText(recordText(FieldText(record, field)), language);
    case K::CheckBox:
        return switchWord(row.mask != 0 ? (byte & row.mask) == row.mask
                                        : ShownNumber(record, field) == 1,
                          language);
    case K::RadioGroup: {
        const std::uint32_t value = row.mask != 0 ? (byte & row.mask) : ShownNumber(record, field);
        const ShownChoice* choice = choiceOf(row, value);
        return choice == nullptr ? valueWord(language, ValueNone)
                                 : AccessibleNames::Spoken(valueWord(language, choice->text));
    }
    case K::List: {
        // A list shows no entry for a value it has none for, or whose text the language lacks.
        const std::uint32_t value = row.mask != 0 ? (byte & row.mask) : FieldNumber(record, field);
        const ShownChoice* choice = choiceOf(row, value);
        const QString entry = choice == nullptr ? QString() : valueWord(language, choice->text);
        return entry.isEmpty() ? valueWord(language, ValueNone) : entry;
    }
    }
    return {};
}

QString ControlValue(const FieldPresentation& row, const QWidget* page,
                     const LanguageManager& language) {
    const QWidget* control = PresentedControl(row, page);
    if (control == nullptr) {
        return {};
    }
    switch (row.kind) {
    case K::Edit: {
        const auto* edit = qobject_cast<const QLineEdit*>(control);
        if (edit == nullptr) {
            return {};
        }
        if (PresentedField(row).kind == FieldKind::Number) {
            // A number as the page takes it: "007" is 7; an empty edit is no number yet.
            bool ok = false;
            const unsigned number = edit->text().trimmed().toUInt(&ok, 10);
            return ok ? QString::number(number) : QString();
        }
        return shownText(edit->text(), language);
    }
    case K::CheckBox: {
        const auto* box = qobject_cast<const QAbstractButton*>(control);
        return box == nullptr ? QString() : switchWord(box->isChecked(), language);
    }
    case K::RadioGroup:
        for (const ShownChoice& choice : row.choices) {
            const auto* radio =
                control->findChild<const QAbstractButton*>(QString::fromLatin1(choice.control));
            if (radio != nullptr && radio->isChecked()) {
                return AccessibleNames::Spoken(radio->text());
            }
        }
        return valueWord(language, ValueNone);
    case K::List: {
        const auto* list = qobject_cast<const QComboBox*>(control);
        if (list == nullptr) {
            return {};
        }
        return list->currentIndex() < 0 ? valueWord(language, ValueNone) : list->currentText();
    }
    }
    return {};
}

QWidget* PresentedControl(const FieldPresentation& row, const QWidget* page) {
    return page == nullptr ? nullptr : page->findChild<QWidget*>(QString::fromLatin1(row.control));
}

bool PageShowsDifference(int pageId, const ConverterConfig& a, const ConverterConfig& b,
                         const LanguageManager& language) {
    for (const FieldPresentation* row : PresentationsOf(pageId)) {
        if (ShownValue(*row, a, language) != ShownValue(*row, b, language)) {
            return true;
        }
    }
    return false;
}

} // namespace vandrel
