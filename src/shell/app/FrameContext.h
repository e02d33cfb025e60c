#pragma once

#include <functional>

namespace vandrel {

struct AppCore;
class ConfigDocument;
class ConfigView;
class DialogRunner;
class Prompter;
class RecentFileList;

// What the document and FLASH commands share with the main window: the process-wide objects,
// the prompts and the window's parts they work on.
struct FrameContext {
    FrameContext(AppCore& appCore, Prompter& appPrompter) : core(appCore), prompter(appPrompter) {}

    AppCore& core;
    Prompter& prompter;
    DialogRunner* dialogRunner = nullptr;
    ConfigDocument* document = nullptr;
    ConfigView* view = nullptr;
    RecentFileList* recent = nullptr;
    // Whether Save is enabled in the command-state table.
    std::function<bool()> saveEnabled;
};

} // namespace vandrel
