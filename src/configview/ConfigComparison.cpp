#include "configview/ConfigComparison.h"

#include "config/ConfigFields.h"
#include "configview/FieldPresentation.h"
#include "configview/PageTable.h"
#include "language/AccessibleNames.h"
#include "language/LanguageManager.h"
#include "language/TextIds.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>

namespace vandrel {

namespace {

constexpr int CaptionChars = 260;

// The caption of `pageId`; for 0 (no page: the root shows no values) the group of values no page
// shows.
QString pageCaption(int pageId, const LanguageManager& language) {
    const PageRow* row = pageId == 0 ? nullptr : FindPageRow(pageId);
    return row == nullptr ? language.Text(text::CompareNotOnAPage, CaptionChars)
                          : language.Text(row->captionText, CaptionChars);
}

QString fieldName(const ConfigField& field) {
    return QString::fromLatin1(field.name.data(), static_cast<qsizetype>(field.name.size()));
}

// A value no control shows, as `vandrelctl config show` prints it; the access password stays
// hidden as everywhere else in the window.
QString apartValue(const ConverterConfig& record, const ConfigField& field,
                   const LanguageManager& language) {
    if (field.offset == ConfigOffset::password) {
        return language.Text(text::ValueHidden, LanguageManager::ControlTextChars);
    }
    const std::string value = FieldValueText(record, field);
    return QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size()));
}

// What the versions page shows of the device information.
struct DeviceInfoValue {
    const char* name;    // as configuration files and `vandrelctl` name it
    const char* control; // the value's label on the versions page
    int labelText;
    std::function<std::string(const DeviceInfo&)> raw;
};

const std::array<DeviceInfoValue, 3>& deviceInfoValues() {
    static const std::array<DeviceInfoValue, 3> values{{
        {"firmwareVersion", "ctl1003", text::FirmwareVersionLabel,
         [](const DeviceInfo& info) { return VersionTextString(info.firmwareVersion); }},
        {"loaderVersion", "ctl1002", text::LoaderVersionLabel,
         [](const DeviceInfo& info) { return VersionTextString(info.loaderVersion); }},
        {"systemInfoNumber", "ctl1033", text::PartitionLabel,
         [](const DeviceInfo& info) {
             return info.systemInfoNumber < kUnknownPartition
                        ? std::to_string(info.systemInfoNumber)
                        : std::string();
         }},
    }};
    return values;
}

QString shownDeviceValue(const std::string& raw, const LanguageManager& language) {
    return raw.empty() ? language.Text(text::ValueUnknown, LanguageManager::ControlTextChars)
                       : QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}

void compareDeviceInfo(const DeviceInfo& left, const DeviceInfo& right,
                       const LanguageManager& language, std::vector<ComparisonRow>& rows) {
    for (const DeviceInfoValue& value : deviceInfoValues()) {
        const std::string l = value.raw(left);
        const std::string r = value.raw(right);
        if (l == r) {
            continue;
        }
        rows.push_back({PageId::Page41,
                        QString::fromLatin1(value.control),
                        pageCaption(PageId::Page41, language),
                        AccessibleNames::Spoken(
                            language.Text(value.labelText, LanguageManager::ControlTextChars)),
                        shownDeviceValue(l, language),
                        shownDeviceValue(r, language),
                        {value.name}});
    }
}

// "Page: label, label; Page: label" for rows in table order.
QString joinLabels(const std::vector<const FieldPresentation*>& rows,
                   const LanguageManager& language) {
    QString joined;
    int page = PageId::Blank;
    for (const FieldPresentation* row : rows) {
        if (row->pageId != page) {
            if (!joined.isEmpty()) {
                joined += QStringLiteral("; ");
            }
            page = row->pageId;
            joined += pageCaption(page, language) + QStringLiteral(": ");
        } else {
            joined += QStringLiteral(", ");
        }
        joined += PresentationLabel(*row, language);
    }
    return joined;
}

const ConfigField* fieldHolding(std::size_t offset) {
    for (const ConfigField& field : kConfigFields) {
        if (offset >= field.offset && offset < field.offset + field.size) {
            return &field;
        }
    }
    return nullptr;
}

QString offsetLabel(std::size_t offset, const ConverterConfig* wanted, const ConverterConfig* found,
                    const LanguageManager& language) {
    const ConfigField* field = fieldHolding(offset);
    if (field == nullptr) {
        return {};
    }
    std::vector<const FieldPresentation*> rows;
    for (const FieldPresentation& row : FieldPresentations()) {
        if (!PresentsOffset(row, offset)) {
            continue;
        }
        if (wanted != nullptr && found != nullptr &&
            ShownValue(row, *wanted, language) == ShownValue(row, *found, language)) {
            continue;
        }
        rows.push_back(&row);
    }
    if (rows.empty()) {
        return pageCaption(0, language) + QStringLiteral(": ") + fieldName(*field);
    }
    return joinLabels(rows, language);
}

} // namespace

ConfigComparison CompareConfigurations(const ConfigSide& left, const ConfigSide& right,
                                       const LanguageManager& language) {
    ConfigComparison comparison;
    comparison.leftSide = left;
    comparison.rightSide = right;
    const ConverterConfig& a = left.record;
    const ConverterConfig& b = right.record;

    const std::vector<const ConfigField*> differing = DifferingFields(a, b);
    auto differs = [&differing](const ConfigField* field) {
        return std::find(differing.begin(), differing.end(), field) != differing.end();
    };
    // The bits of each field that a row shown differently accounts for; 0xFF: all of them.
    std::map<const ConfigField*, std::uint8_t> explained;

    for (const PageRow& page : kPageTable) {
        for (const FieldPresentation* row : PresentationsOf(page.pageId)) {
            QString l = ShownValue(*row, a, language);
            QString r = ShownValue(*row, b, language);
            if (l == r) {
                continue;
            }
            ComparisonRow shown{page.pageId,
                                QString::fromLatin1(row->control),
                                pageCaption(page.pageId, language),
                                PresentationLabel(*row, language),
                                std::move(l),
                                std::move(r),
                                {}};
            // A control may show differently only because another one does (a number that its
            // switch shows as 0): it names no field then.
            for (const ConfigField* field : PresentedFields(*row)) {
                if (differs(field)) {
                    shown.fields.emplace_back(field->name);
                }
                explained[field] |= row->mask != 0 ? row->mask : std::uint8_t{0xFF};
            }
            comparison.onPages.push_back(std::move(shown));
        }
    }

    if (left.deviceInfo && right.deviceInfo) {
        compareDeviceInfo(*left.deviceInfo, *right.deviceInfo, language, comparison.apart);
    }

    for (const ConfigField* field : differing) {
        comparison.recordFields.emplace_back(field->name);
        const std::uint8_t covered = explained[field];
        if (covered == 0xFF) {
            continue;
        }
        // A flag byte whose differing bits all showed on the pages needs no row of its own.
        if (covered != 0 && field->size == 1 &&
            ((a.bytes[field->offset] ^ b.bytes[field->offset]) & ~covered) == 0) {
            continue;
        }
        comparison.apart.push_back({0,
                                    QString(),
                                    pageCaption(0, language),
                                    fieldName(*field),
                                    apartValue(a, *field, language),
                                    apartValue(b, *field, language),
                                    {std::string(field->name)}});
    }
    return comparison;
}

QString FieldAtOffsetLabel(std::size_t offset, const LanguageManager& language) {
    return offsetLabel(offset, nullptr, nullptr, language);
}

QString FieldAtOffsetLabel(std::size_t offset, const ConverterConfig& wanted,
                           const ConverterConfig& found, const LanguageManager& language) {
    return offsetLabel(offset, &wanted, &found, language);
}

} // namespace vandrel
