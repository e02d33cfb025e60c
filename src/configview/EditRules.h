#pragma once

#include "config/ConfigFields.h"

#include <span>
#include <string_view>

namespace vandrel {

// Which edit of which page shows which field of the record. That is all a page says about its
// edits: their characters, limits, ranges, corrections and switches are the field's rules
// (ConfigFields.h).
struct EditRule {
    int pageId;
    const char* control;    // object name in the page's form
    std::string_view field; // name in kConfigFields
};

// Every edit of every page, in page order.
std::span<const EditRule> EditRules();

// The field the edit of `rule` shows.
const ConfigField& EditField(const EditRule& rule);

} // namespace vandrel
