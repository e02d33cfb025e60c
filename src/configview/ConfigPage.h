#pragma once

#include "config/ConfigFields.h"
#include "config/ConverterConfig.h"

#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <vector>

class QLineEdit;

namespace vandrel {

class FilterEdit;
class LanguageManager;

// One page on the right of the configuration tree. It edits its own copy of the record (only
// the page's blocks are used) and takes its control values back into that copy when collected;
// the view decides when the copy goes into the record.
//
// What a value may be is the field table's (ConfigFields.h): the page's edits show, correct and
// store their fields by its rules, and the page's own code says only which control stands for
// which field, bit or value.
//
// Fields that a switch enables follow the switch's toggled signal, so they keep in step however
// the switch changes: a click, a key, the program or assistive technology.
class ConfigPage : public QWidget {
    Q_OBJECT
public:
    ConfigPage(int pageId, const ConverterConfig& record, const LanguageManager& language,
               QWidget* parent);

    int pageId() const { return pageId_; }
    const ConverterConfig& copy() const { return copy_; }

    // Takes the control values into the copy; false when a switched-on field is empty (the copy
    // may then hold some of the new values already).
    virtual bool collect() { return true; }
    // Sets the texts again after a language switch.
    virtual void retranslate();

    // At least the size of the page's form, larger when its controls need more room.
    QSize minimumSizeHint() const override;

protected:
    // Gives the form's controls what every page shares: each edit of EditRules the character set
    // and limit of its field, lists that take the mouse wheel only with the focus, and one Tab
    // stop per radio group. The forms call it right after building their controls.
    void prepareForm();
    // Replaces the numeric texts of the form by the language's texts; the forms call it after
    // building their controls and before filling them.
    void translate();

    const LanguageManager& language() const { return language_; }

    // Fills the edits with their fields as the rules show them, and from then on corrects their
    // numbers as the user types and leaves them. The forms call it once, after translate().
    void showEdits();
    // Takes the edits' values into the copy by the rules: texts with their counts, numbers
    // corrected. The page sets its switches first (a number may be 0 while its switch is off).
    // False when a text that its switch makes mandatory is switched on and left empty.
    bool collectEdits();

    // The field `edit` shows, by EditRules.
    const ConfigField& fieldOf(const QLineEdit* edit) const;
    // The switch that enables the field of `edit`, and whether it is on in the copy.
    const FieldSwitch& switchOf(const QLineEdit* edit) const {
        return fieldOf(edit).rules.fieldSwitch;
    }
    bool switchOn(const QLineEdit* edit) const { return SwitchOn(copy_, fieldOf(edit)); }
    void setSwitch(const FieldSwitch& fieldSwitch, bool on) {
        setBit(fieldSwitch.offset, fieldSwitch.mask, on);
    }

    // The field that starts at `offset` (a ConfigOffset).
    static const ConfigField& FieldAt(std::size_t offset);
    // A radio, check box or list value of the field at `offset`, as the rules show it and store it.
    std::uint32_t shownNumber(std::size_t offset) const {
        return ShownNumber(copy_, FieldAt(offset));
    }
    void storeNumber(std::size_t offset, std::uint32_t shown);

    bool bit(std::size_t offset, std::uint8_t mask) const { return (copy_.bytes[offset] & mask); }
    // Changes only the bits of the flag byte that the field table gives the pages.
    void setBit(std::size_t offset, std::uint8_t mask, bool on);

    // The edit's decimal number; 0 when it holds no number.
    static unsigned EditNumber(const QLineEdit* edit);
    static void SetEditNumber(QLineEdit* edit, unsigned value);

    // Record texts are single-byte characters.
    static QString FromRecordText(const std::string& bytes);
    static std::string ToRecordText(const QString& text);

private:
    // An edit of the page and the field it shows.
    struct BoundEdit {
        FilterEdit* edit;
        const ConfigField* field;
        // Correction::KeepLast: the last number that stood.
        std::uint32_t lastKept = 0;
    };

    void correctNumber(BoundEdit& bound);
    void keepTyping(BoundEdit& bound);

    int pageId_;
    ConverterConfig copy_;
    const LanguageManager& language_;
    std::vector<BoundEdit> edits_;
};

} // namespace vandrel
