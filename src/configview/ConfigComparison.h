#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vandrel {

class LanguageManager;

// One configuration to compare: its record and, when known, what the converter reported about
// itself.
struct ConfigSide {
    ConverterConfig record;
    std::optional<DeviceInfo> deviceInfo;
};

// One difference, as the user meets it.
struct ComparisonRow {
    int pageId = 0;  // 0 for rows no page shows
    QString control; // object name on the page; empty for rows apart
    QString page;    // the page's caption in the language in use
    QString label;   // the label as the page shows it (the field's name for rows apart)
    QString left;    // the values as the page shows them
    QString right;
    std::vector<std::string> fields; // names in kConfigFields (or device information names)
};

struct ConfigComparison {
    // Grouped by page, in page-tree order, then form order.
    std::vector<ComparisonRow> onPages;
    // Device information (shown on the versions page), then the fields, bytes and bits no
    // control shows, in record order.
    std::vector<ComparisonRow> apart;
    // The record fields that differ, in record order: what `vandrelctl config diff` lists.
    std::vector<std::string> recordFields;
    // The two sides compared, so that the comparison can be made again in another language.
    ConfigSide leftSide;
    ConfigSide rightSide;

    // Nothing to show: the records are equal, and so is the device information where both
    // sides have it.
    bool identical() const { return onPages.empty() && apart.empty(); }
    // The number of distinct record fields that differ.
    std::size_t differingFields() const { return recordFields.size(); }
};

// What differs between `left` and `right`, named and shown as the pages do. The device
// information is compared only when both sides have it.
ConfigComparison CompareConfigurations(const ConfigSide& left, const ConfigSide& right,
                                       const LanguageManager& language);

// "Page: label" for the field at a record offset, for a message about a single byte. A byte
// that several controls share names all of them; a byte no control shows is named by its field.
// Empty for an offset outside the record.
QString FieldAtOffsetLabel(std::size_t offset, const LanguageManager& language);

// The same, narrowed to the controls that show `wanted` and `found` differently at `offset`
// (for a flag byte: only the check boxes of the bits that differ).
QString FieldAtOffsetLabel(std::size_t offset, const ConverterConfig& wanted,
                           const ConverterConfig& found, const LanguageManager& language);

} // namespace vandrel
