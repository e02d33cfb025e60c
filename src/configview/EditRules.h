#pragma once

#include <cstddef>
#include <span>

class QWidget;

namespace vandrel {

// What one edit of a configuration page takes: its characters and how many of them. One row per
// edit, so that the limits can come from the record's field descriptions as well.
struct EditRule {
    int pageId;
    const char* control; // object name in the page's form
    std::size_t field;   // the record field it shows (ConfigOffset)
    const char* characterSet;
    // Most characters the user can put in.
    int limit;
    // Most characters a stored value can be shown with: a byte needs three digits even where the
    // edit takes only one or two, since a value beyond the range is shown whole before it is
    // corrected.
    int widestShown;
};

// Every edit of every page, in page order.
std::span<const EditRule> EditRules();

// Gives the edits of `page` (page `pageId`) their character sets and limits.
void ApplyEditRules(QWidget* page, int pageId);

} // namespace vandrel
