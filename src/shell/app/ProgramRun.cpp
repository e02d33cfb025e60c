#include "shell/app/ProgramRun.h"

#include "language/AccessibleNames.h"
#include "language/LanguageManager.h"
#include "link/QtTimerService.h"
#include "link/SerialChannel.h"
#include "protocol/DeviceSession.h"
#include "settings/LinkSettings.h"
#include "settings/WindowSettings.h"
#include "shell/app/DemoConverter.h"
#include "shell/app/MainFrame.h"
#include "shell/ui/Prompter.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QScreen>

#include <algorithm>

#include <memory>

namespace vandrel {

std::optional<RunOptions> parseRunOptions(const QStringList& arguments, QString& error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption demo(QStringLiteral("demo"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({demo, help, version});
    if (!parser.parse(QStringList{QStringLiteral("vandrel")} + arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }
    // One document at a time: a file manager starts one program for each file.
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        error = QStringLiteral("unexpected argument: %1").arg(files.at(1));
        return std::nullopt;
    }
    if (!files.isEmpty() && files.first().isEmpty()) {
        error = QStringLiteral("the file name is empty");
        return std::nullopt;
    }
    RunOptions options;
    options.demo = parser.isSet(demo);
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    options.file = files.value(0);
    return options;
}

QString runUsage() {
    return QStringLiteral(
        "usage: vandrel [--demo] [FILE]\n"
        "Configure and service the telephone converter on a serial port.\n"
        "\n"
        "  FILE           open this configuration file at start, in place of the question\n"
        "                 where the configuration should come from\n"
        "  --demo         serve a stand-in converter on a pseudo-terminal and use it as\n"
        "                 the serial port of this run (the setting is not changed)\n"
        "  -h, --help     show this help and end\n"
        "  -v, --version  show the version and end\n");
}

QString runVersion() {
    return QStringLiteral("vandrel " VANDREL_VERSION "\n");
}

QRect firstRunGeometry(const QRect& available) {
    // Two thirds of the screen shows a whole page beside the tree without scrolling.
    const QSize size(std::max(available.width() * 2 / 3, MainFrame::kMinWidth),
                     std::max(available.height() * 2 / 3, MainFrame::kMinHeight));
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(available.center());
    return placed;
}

namespace {

void placeWindow(MainFrame& window, const WindowSettings& settings) {
    if (!settings.isDefaultPlacement()) {
        const WindowRect& r = settings.rect;
        window.setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else {
        window.setGeometry(firstRunGeometry(window.screen()->availableGeometry()));
    }
    if (settings.maximized) {
        window.showMaximized();
    } else {
        window.show();
    }
    window.repaint();
}

} // namespace

int runProgram(LanguageManager& language, Prompter& prompter, const RunOptions& options) {
    // Before any form exists: an assistive technology that is already listening asks for each
    // control as it is made.
    AccessibleNames::Install();
    LinkSettings linkSettings;
    WindowSettings windowSettings;
    linkSettings.load();
    windowSettings.load();
    routeMessages(language, prompter);
    if (!language.Load(static_cast<int>(linkSettings.language))) {
        return 0;
    }

    std::unique_ptr<DemoConverter> demo;
    QString portOverride;
    if (options.demo) {
        demo = std::make_unique<DemoConverter>();
        if (demo->start()) {
            portOverride = demo->devicePath();
        }
    }

    // The session and its channel outlive the window, which hands frames from one to the other.
    SerialChannel channel;
    QtTimerService timers;
    DeviceSession session;
    auto window = std::make_unique<MainFrame>(linkSettings, windowSettings, language, channel,
                                              session, timers, prompter, portOverride);
    window->startUp(options.file);
    placeWindow(*window, windowSettings);
    QApplication::exec();

    // The I/O thread ends before the window goes: a frame it is handing over must not reach a
    // window that no longer exists.
    channel.stop();
    windowSettings.save();
    window.reset();
    return 1;
}

} // namespace vandrel
