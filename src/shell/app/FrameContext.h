#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace vandrel {

struct AppCore;
class BusyState;
class ChangePasswordDialog;
class ConfigView;
class DialogRunner;
class FlashProgressDialog;
class SystemMonitorPane;
class Prompter;
class RecentFileList;
class WaitDialog;

// The modal dialogs of device operations that the main window keeps track of while they are
// open (null when none).
struct SessionDialogs {
    QPointer<WaitDialog> wait;
    QPointer<FlashProgressDialog> progress;
    QPointer<ChangePasswordDialog> changePassword;
};

// What the main window's command and progress handlers share: the process-wide objects, the
// prompts, the window's parts and a few of its operations.
struct FrameContext {
    FrameContext(AppCore& appCore, Prompter& appPrompter) : core(appCore), prompter(appPrompter) {}

    AppCore& core;
    Prompter& prompter;
    DialogRunner* dialogRunner = nullptr;
    QWidget* window = nullptr;
    ConfigView* view = nullptr;
    SystemMonitorPane* monitor = nullptr;
    RecentFileList* recent = nullptr;
    BusyState* busy = nullptr;
    SessionDialogs dialogs;
    // The document name in the title; empty for none.
    std::function<void(const QString&)> setDocumentName;
    // Recomputes the command states and the status texts.
    std::function<void()> refresh;
    // Whether Save is enabled in the command-state table.
    std::function<bool()> saveEnabled;
};

} // namespace vandrel
