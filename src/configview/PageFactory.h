#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include <memory>

class QWidget;

namespace vandrel {

class ConfigPage;
class LanguageManager;

// The page for `pageId`, filled from `record` (page 41 from `info`); the blank page for -1 and
// nothing for an identifier outside the page table.
std::unique_ptr<ConfigPage> CreatePage(int pageId, const ConverterConfig& record,
                                       const DeviceInfo& info, const LanguageManager& language,
                                       QWidget* parent);

} // namespace vandrel
