#pragma once

#include "language/LanguageManager.h"
#include "link/QtTimerService.h"
#include "link/SerialChannel.h"
#include "protocol/DeviceSession.h"
#include "settings/LinkSettings.h"
#include "settings/WindowSettings.h"

namespace vandrel {

// The objects that live for the whole run of the program: the settings, the language texts,
// the protocol engine, its serial channel and its timers. Created before the main window and
// destroyed after it. The configuration record belongs to the window's document.
struct AppCore {
    LinkSettings linkSettings;
    WindowSettings windowSettings;
    LanguageManager language;
    QtTimerService timers;
    SerialChannel channel;
    DeviceSession session;
    // A port used for this run only and never stored (the stand-in converter of the demo mode);
    // empty: the configured port.
    QString portOverride;

    QString portName() const {
        return portOverride.isEmpty() ? linkSettings.portName : portOverride;
    }

    AppCore() {
        session.timers = &timers;
        session.channel = &channel;
    }
    ~AppCore() {
        // The engine must not reach a window or timer that is going away.
        session.notifyWindow = nullptr;
        session.monitorPane = nullptr;
        channel.stop();
    }
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;
};

} // namespace vandrel
