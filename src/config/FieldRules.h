#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The rules that keep a field of the record valid, as the configuration pages enforce them and as
// vandrelctl checks them. Each named field of kConfigFields (ConfigFields.h) carries its rules, so
// the table of names, offsets and kinds and the table of rules are one table.
//
// How a page uses them (all through the field's ConfigField, found by FindConfigField(name) or
// ConfigFieldAt(offset)):
// - an edit for a text or a number takes `rules.characters` (FilterCharacter decides each typed
//   character, folding letters to the set's case) and at most `rules.limit` characters;
// - a number is shown as ShownNumber(copy, field), corrected when its edit loses the focus with
//   CorrectedNumber, kept or set back while typing with TypingKeeps (Correction::KeepLast), and
//   stored on collect with StoredNumber;
// - a text is stored on collect with StoreFieldText (it writes the count byte that follows it);
// - a field with a `fieldSwitch` is enabled while SwitchOn(copy, field); a mandatory one that is
//   empty then makes the collect fail; a zeroWhileOff one is shown and stored as 0 while off;
// - a flag byte's page owns only the bits in `rules.bits`; the others are kept.
// Whole values, as a script gives them, are checked and applied by ApplyFieldAssignments
// (ConfigAssignment.h), which refuses what a page would have corrected.
namespace vandrel {

// Which character sets the page edits use.
namespace FieldCharacters {
inline constexpr std::string_view Digits = "0123456789";
inline constexpr std::string_view DialCodes = "0123456789*#,";
inline constexpr std::string_view DialCodesN = "0123456789*#n,";
inline constexpr std::string_view DialCodesR = "0123456789*#R,";
inline constexpr std::string_view DialCodesRN = "0123456789*#Rn,";
} // namespace FieldCharacters

// Who keeps a field's bytes.
enum class Editing : std::uint8_t {
    Carried, // no page edits it: kept exactly as read
    Page,    // a configuration page edits it by the rules below
    Follows, // kept in step with another field (a counted text's count byte)
};

// What a page does with a number outside its range.
enum class Correction : std::uint8_t {
    None,     // nothing to correct (texts, flag bytes)
    Clamp,    // on leaving the edit and on collect: below low becomes low, above high becomes high;
              // an empty edit counts as 0
    KeepLast, // while typing, a number above high is set back to the last one that stood; on
              // leaving, an empty edit shows 0; collect stores at most high
    RoundClamp, // the shown number (stored × scale) is rounded down to a multiple of scale, then
                // clamped to low × scale .. high × scale; a stored value below low shows as low
    Fallback,   // radios, check boxes and lists: a stored value outside low..high is taken as
                // `fallback` (a list shows no entry then, and collects the fallback)
};

// The flag bits that switch a field on: all bits of `mask` in the byte at `offset` must be set.
struct FieldSwitch {
    std::size_t offset = 0;
    std::uint8_t mask = 0;     // 0: the field has no switch
    bool mandatory = false;    // while on, an empty text is refused
    bool zeroWhileOff = false; // while off, the number is shown and stored as 0
};

// In a flag byte: `bit` counts only while `needs` is set too (a page clears it otherwise).
struct BitNeeds {
    std::uint8_t bit = 0;
    std::uint8_t needs = 0;
};

struct FieldRules {
    Editing editing = Editing::Carried;
    std::string_view characters; // what the page's edit takes; empty: the page has no edit
    unsigned limit = 0;          // most characters the edit takes
    std::uint32_t low = 0;       // range of the stored number
    std::uint32_t high = 0;
    Correction correction = Correction::None;
    std::uint32_t fallback = 0; // Correction::Fallback
    unsigned scale = 1;         // the page shows the stored number times this
    std::uint8_t bits = 0;      // flag byte: the bits pages edit; the others are kept
    BitNeeds bitNeeds{};
    FieldSwitch fieldSwitch{};
    std::string_view counterpart;   // counted text: its count byte; count byte: its text
    bool zeroFillWhenEmpty = false; // an emptied text clears all its characters
};

// Builders for the table: one per kind of control.
namespace rule {

// A number in a digits edit of `limit` characters.
constexpr FieldRules Number(std::uint32_t low, std::uint32_t high, unsigned limit,
                            Correction correction = Correction::Clamp) {
    FieldRules r;
    r.editing = Editing::Page;
    r.characters = FieldCharacters::Digits;
    r.limit = limit;
    r.low = low;
    r.high = high;
    r.correction = correction;
    return r;
}

// A number shown `scale` times as large, in steps of `scale`.
constexpr FieldRules Scaled(std::uint32_t low, std::uint32_t high, unsigned scale, unsigned limit) {
    FieldRules r = Number(low, high, limit, Correction::RoundClamp);
    r.scale = scale;
    return r;
}

// Radios, a check box or a list: one of low..high, anything else taken as `fallback`.
constexpr FieldRules Choice(std::uint32_t low, std::uint32_t high, std::uint32_t fallback) {
    FieldRules r;
    r.editing = Editing::Page;
    r.low = low;
    r.high = high;
    r.correction = Correction::Fallback;
    r.fallback = fallback;
    return r;
}

// A byte of check boxes and radio pairs owning `bits`.
constexpr FieldRules Flags(std::uint8_t bits, BitNeeds needs = {}) {
    FieldRules r;
    r.editing = Editing::Page;
    r.high = 0xFF;
    r.bits = bits;
    r.bitNeeds = needs;
    return r;
}

// A code field: 20 characters of `characters`, made editable by its switch.
constexpr FieldRules Code(std::string_view characters, FieldSwitch fieldSwitch) {
    FieldRules r;
    r.editing = Editing::Page;
    r.characters = characters;
    r.limit = 20;
    r.fieldSwitch = fieldSwitch;
    return r;
}

// A counted text whose count byte is the field `countField`.
constexpr FieldRules Counted(std::string_view characters, unsigned limit,
                             std::string_view countField) {
    FieldRules r;
    r.editing = Editing::Page;
    r.characters = characters;
    r.limit = limit;
    r.counterpart = countField;
    r.zeroFillWhenEmpty = true;
    return r;
}

// The count byte of the text `textField`.
constexpr FieldRules Count(std::string_view textField) {
    FieldRules r;
    r.editing = Editing::Follows;
    r.counterpart = textField;
    return r;
}

// A number that stays 0 while its switch is off.
constexpr FieldRules WithZeroWhileOff(FieldRules r, std::size_t offset, std::uint8_t mask) {
    r.fieldSwitch = FieldSwitch{offset, mask, false, true};
    return r;
}

constexpr FieldSwitch Mandatory(std::size_t offset, std::uint8_t mask) {
    return FieldSwitch{offset, mask, true, false};
}
constexpr FieldSwitch Optional(std::size_t offset, std::uint8_t mask) {
    return FieldSwitch{offset, mask, false, false};
}

} // namespace rule

// The character an edit taking `characters` inserts for a typed `c`: `c` itself, `c` in the case
// of a letter of the set, or '\0' when the set does not hold it. Sets are searched in order.
char FilterCharacter(std::string_view characters, char c);

} // namespace vandrel
