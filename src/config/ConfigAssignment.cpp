#include "config/ConfigAssignment.h"

#include "config/ConfigFields.h"

#include <cstdio>
#include <limits>

namespace vandrel {
namespace {

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::string hexByte(std::uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

// A character of a refused value, readable even when it is not printable.
std::string describeCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
        return quoted(std::string_view(&c, 1));
    }
    return "the byte " + hexByte(byte);
}

// "bit 5", "bits 3 and 4", "bits 0, 1, 4 and 5".
std::string bitList(std::uint8_t mask) {
    std::vector<int> bits;
    for (int i = 0; i < 8; ++i) {
        if (mask & (1u << i)) {
            bits.push_back(i);
        }
    }
    std::string text = bits.size() == 1 ? "bit " : "bits ";
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (i > 0) {
            text += i + 1 == bits.size() ? " and " : ", ";
        }
        text += std::to_string(bits[i]);
    }
    return text;
}

std::string switchText(const ConfigField& field) {
    const FieldSwitch& s = field.rules.fieldSwitch;
    const ConfigField* flags = ConfigFieldAt(s.offset);
    const std::string bits = bitList(s.mask);
    const bool several = (s.mask & (s.mask - 1)) != 0;
    return bits + " of " + std::string(flags->name) + (several ? " are" : " is");
}

std::string refusal(const ConfigField& field, const std::string& sentence) {
    return std::string(field.name) + ": " + sentence;
}

class Assigner {
public:
    explicit Assigner(const ConverterConfig& record) : before_(record), after_(record) {}

    void assign(const FieldAssignment& assignment) {
        const ConfigField* field = FindConfigField(assignment.name);
        if (field == nullptr) {
            refusals_.push_back(quoted(assignment.name) + " is not a field of the configuration.");
            return;
        }
        const FieldRules& r = field->rules;
        if (r.editing == Editing::Carried) {
            refusals_.push_back(
                refusal(*field, "no page edits this field; it is carried as it is."));
            return;
        }
        if (r.editing == Editing::Follows) {
            refusals_.push_back(refusal(*field, "follows " + std::string(r.counterpart) + "; set " +
                                                    std::string(r.counterpart) +
                                                    " and its count follows."));
            return;
        }
        const bool stored = field->kind == FieldKind::Number
                                ? assignNumber(*field, assignment.value)
                                : assignText(*field, assignment.value);
        if (stored) {
            touched_[index(*field)] = true;
        }
    }

    // The checks that concern more than one field, on the record as the assignments left it.
    void finish() {
        for (const ConfigField& field : kConfigFields) {
            const FieldRules& r = field.rules;
            if (r.bitNeeds.bit != 0 && touched_[index(field)]) {
                const std::uint32_t value = FieldNumber(after_, field);
                if ((value & r.bitNeeds.bit) != 0 && (value & r.bitNeeds.needs) == 0) {
                    refusals_.push_back(refusal(field, bitList(r.bitNeeds.bit) +
                                                           " counts only while " +
                                                           bitList(r.bitNeeds.needs) + " is set."));
                }
            }
            if (r.fieldSwitch.mask == 0) {
                continue;
            }
            const bool named = touched_[index(field)];
            const bool on = SwitchOn(after_, field);
            const bool turnedOn = on && !SwitchOn(before_, field);
            if (r.fieldSwitch.mandatory && on && (named || turnedOn) &&
                FieldText(after_, field).empty()) {
                refusals_.push_back(
                    refusal(field, "must not be empty while " + switchText(field) + " set."));
            }
            if (r.fieldSwitch.zeroWhileOff && !on && FieldNumber(after_, field) != 0) {
                if (named) {
                    refusals_.push_back(refusal(
                        field, "stays 0 while " + switchText(field) + " clear (" +
                                   std::to_string(FieldNumber(after_, field)) + " given)."));
                } else if (touched_[index(*ConfigFieldAt(r.fieldSwitch.offset))]) {
                    StoreFieldNumber(after_, field, 0); // as the page stores it
                }
            }
        }
    }

    const std::vector<std::string>& refusals() const { return refusals_; }
    const ConverterConfig& result() const { return after_; }

private:
    static std::size_t index(const ConfigField& field) {
        return static_cast<std::size_t>(&field - kConfigFields.data());
    }

    bool assignNumber(const ConfigField& field, const std::string& text) {
        const FieldRules& r = field.rules;
        const std::optional<std::uint32_t> value = ParseFieldNumber(text);
        if (!value) {
            refusals_.push_back(
                refusal(field, "takes a number, decimal or 0x hex (" + quoted(text) + " given)."));
            return false;
        }
        if (*value < r.low || *value > r.high) {
            refusals_.push_back(refusal(field, "takes " + std::to_string(r.low) + ".." +
                                                   std::to_string(r.high) + " (" + text +
                                                   " given)."));
            return false;
        }
        if (r.bits != 0) {
            const std::uint32_t kept = static_cast<std::uint8_t>(~r.bits);
            const std::uint32_t current = FieldNumber(before_, field);
            if ((*value & kept) != (current & kept)) {
                refusals_.push_back(refusal(field, "only " + bitList(r.bits) + " can change; " +
                                                       bitList(static_cast<std::uint8_t>(kept)) +
                                                       " stay as they are (" +
                                                       hexByte(current & kept) + " here, " +
                                                       hexByte(*value & kept) + " given)."));
                return false;
            }
        }
        StoreFieldNumber(after_, field, *value);
        return true;
    }

    bool assignText(const ConfigField& field, const std::string& text) {
        const FieldRules& r = field.rules;
        std::string accepted;
        for (const char c : text) {
            const char f = FilterCharacter(r.characters, c);
            if (f == '\0') {
                refusals_.push_back(
                    refusal(field, "takes only the characters " + std::string(r.characters) + " (" +
                                       describeCharacter(c) + " is not one of them)."));
                return false;
            }
            accepted += f;
        }
        if (accepted.size() > r.limit) {
            refusals_.push_back(refusal(field, "takes at most " + std::to_string(r.limit) +
                                                   " characters (" +
                                                   std::to_string(accepted.size()) + " given)."));
            return false;
        }
        StoreFieldText(after_, field, accepted);
        return true;
    }

    const ConverterConfig before_;
    ConverterConfig after_;
    std::array<bool, kConfigFields.size()> touched_{};
    std::vector<std::string> refusals_;
};

} // namespace

std::optional<FieldAssignment> ParseFieldAssignment(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        return std::nullopt;
    }
    return FieldAssignment{std::string(text.substr(0, equals)),
                           std::string(text.substr(equals + 1))};
}

std::optional<std::uint32_t> ParseFieldNumber(std::string_view text) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = std::min(value * base + digit, kMax + 1);
    }
    return static_cast<std::uint32_t>(std::min(value, kMax));
}

std::vector<std::string> ApplyFieldAssignments(ConverterConfig& record,
                                               std::span<const FieldAssignment> assignments) {
    Assigner assigner(record);
    for (const FieldAssignment& assignment : assignments) {
        assigner.assign(assignment);
    }
    assigner.finish();
    if (assigner.refusals().empty()) {
        record = assigner.result();
    }
    return assigner.refusals();
}

} // namespace vandrel
