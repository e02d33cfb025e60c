#pragma once

#include "config/ConfigFields.h"
#include "config/ConverterConfig.h"

#include <QString>

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class QWidget;

namespace vandrel {

class LanguageManager;

// How a control shows its part of the record.
enum class ControlKind : std::uint8_t {
    Edit,       // a text, code or number as the field's rules show it
    CheckBox,   // checked while every bit of `mask` is set; without a mask, while the value is 1
    RadioGroup, // the radios of one group box: the checked one stands for the value
    List,       // a drop-down list: the chosen entry stands for the value
};

// A radio or list entry and the value it stands for (with a mask: the value of the masked bits).
struct ShownChoice {
    std::uint32_t value;
    int text;            // its text id
    const char* control; // a radio's object name; none for list entries
};

// One control of an editing page and the part of the record it shows. Radios that together show
// one value are one control: their group box.
struct FieldPresentation {
    int pageId;
    const char* control; // object name in the page's form
    ControlKind kind;
    std::string_view field; // name in kConfigFields
    std::uint8_t mask;      // bits of a flag byte the control shows; 0: the whole value
    int labelText;          // the buddy label, the check box's own text or the group box title
    int contextText;        // the text a label that stands more than once is read after; 0: none
    std::span<const ShownChoice> choices; // radios and list entries
};

// Every control of every editing page that shows a part of the record: pages in tree order,
// controls in form order.
std::span<const FieldPresentation> FieldPresentations();

// The rows of `pageId`, in form order.
std::vector<const FieldPresentation*> PresentationsOf(int pageId);

// The row of the control `control` on `pageId`, or nullptr.
const FieldPresentation* FindPresentation(int pageId, std::string_view control);

// The field a row shows.
const ConfigField& PresentedField(const FieldPresentation& row);

// The fields whose bytes the row shows: its field, and the count byte of a counted text.
std::vector<const ConfigField*> PresentedFields(const FieldPresentation& row);

// True when the row shows the byte at `offset` (some of its bits for a flag byte).
bool PresentsOffset(const FieldPresentation& row, std::size_t offset);

// The label as the page shows it and a screen reader reads it: without mnemonic or closing colon,
// after the text of its context when the form repeats it ("Forward all calls: Switch on").
QString PresentationLabel(const FieldPresentation& row, const LanguageManager& language);

// The value the control shows for `record`, in the words of the page: numbers as shown, texts as
// their characters, check boxes as on or off, radios and list entries by their texts.
QString ShownValue(const FieldPresentation& row, const ConverterConfig& record,
                   const LanguageManager& language);

// The value the control on `page` shows now, in the same words as ShownValue; an empty number
// edit is an empty text.
QString ControlValue(const FieldPresentation& row, const QWidget* page,
                     const LanguageManager& language);

// The row's control on `page` (a radio group's group box), or nullptr.
QWidget* PresentedControl(const FieldPresentation& row, const QWidget* page);

// True when a control of `pageId` shows `a` differently from `b`.
bool PageShowsDifference(int pageId, const ConverterConfig& a, const ConverterConfig& b,
                         const LanguageManager& language);

} // namespace vandrel
