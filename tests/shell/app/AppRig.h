#pragma once

#include "ScriptedPrompter.h"
#include "TempDir.h"

#include "config/ConfigFields.h"
#include "config/ConfigFile.h"
#include "configview/ConfigDocument.h"
#include "configview/ConfigView.h"
#include "language/LanguageManager.h"
#include "language/TextFormat.h"
#include "link/QtTimerService.h"
#include "link/SerialChannel.h"
#include "protocol/DeviceSession.h"
#include "settings/LinkSettings.h"
#include "settings/RegistryStore.h"
#include "settings/WindowSettings.h"
#include "shell/app/CommandIds.h"
#include "shell/app/MainFrame.h"
#include "sim/PtyConverter.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

// Records the dialogs that are shown, in order, and lets a test act on each as it appears. The
// operation dialogs open without a loop of their own, so tests meet them here rather than in
// the prompter.
class ShownDialogs : public QObject {
public:
    ShownDialogs() { QCoreApplication::instance()->installEventFilter(this); }
    ~ShownDialogs() override { QCoreApplication::instance()->removeEventFilter(this); }

    std::vector<QString> shown; // class names
    std::function<void(QDialog&)> onShown;

    int count(const char* className) const {
        return static_cast<int>(
            std::count(shown.begin(), shown.end(), QString::fromLatin1(className)));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            if (auto* dialog = qobject_cast<QDialog*>(watched)) {
                shown.push_back(QString::fromLatin1(dialog->metaObject()->className()));
                if (onShown) {
                    onShown(*dialog);
                }
            }
        }
        return false;
    }
};

// What the program keeps for its window: the settings, the language texts, the serial channel
// and the session. The window gets each of them on its own.
struct ProgramObjects {
    vandrel::LinkSettings linkSettings;
    vandrel::WindowSettings windowSettings;
    vandrel::LanguageManager language;
    vandrel::SerialChannel channel;
    vandrel::QtTimerService qtTimers;
    // The clock of the session's response timer; a test may give its own before the window opens.
    vandrel::TimerService* timers = &qtTimers;
    vandrel::DeviceSession session;

    ~ProgramObjects() { channel.stop(); }
};

// The whole program around a stand-in converter on a real pseudo-terminal: the objects the
// program owns, the main window, a scripted prompter answering every question, and settings in
// a temporary folder.
class AppRig : public ::testing::Test {
protected:
    static constexpr int kWaitMs = 15000;

    void SetUp() override {
        vandrel::RegistryStore::setFolder(QString::fromStdString(settings.path().string()));
        vandrel::sim::ModelSettings model;
        model.programmingTime = std::chrono::milliseconds(300);
        model.monitorPeriod = std::chrono::milliseconds(100);
        adjustModel(model);
        converter = std::make_unique<vandrel::sim::PtyConverter>(model);
        // A stable name survives unplugging, as a by-id name does for a USB adapter.
        const std::string link = stableLink() ? files.file("converter") : std::string();
        ASSERT_TRUE(converter->start(link)) << converter->error();
        core = std::make_unique<ProgramObjects>();
        core->language.setLanguageFolders({QStringLiteral(VANDREL_SOURCE_DIR "/lang")});
        core->linkSettings.portName =
            QString::fromStdString(stableLink() ? converter->linkPath() : converter->devicePath());
        core->windowSettings.load();
        // Backups of the converter's configuration stay with the test.
        core->windowSettings.backupFolder = QString::fromStdString(files.file("backups"));
        vandrel::routeMessages(core->language, prompter);
        ASSERT_TRUE(core->language.Load(1));
    }

    void TearDown() override {
        if (window) {
            window->hide();
        }
        window.reset();
        core.reset();
        converter.reset();
        vandrel::RegistryStore::setFolder(QString());
    }

    virtual void adjustModel(vandrel::sim::ModelSettings&) {}
    // The port is a symbolic link to the converter's terminal, kept across unplugging.
    virtual bool stableLink() const { return false; }

    // The main window, opened on the stand-in's port unless `portless`, once it has asked its
    // start-up question (answered by the script's next dialog step, else cancelled).
    vandrel::MainFrame& openWindow(bool portless = false) {
        if (portless) {
            core->linkSettings.portName.clear();
        }
        window = makeWindow();
        window->resize(900, 640);
        const std::size_t asked = prompter.dialogs.size();
        window->startUp();
        window->show();
        EXPECT_TRUE(waitFor([&] { return prompter.dialogs.size() > asked; }));
        EXPECT_EQ(prompter.dialogs.at(asked), QStringLiteral("vandrel::SourceChoiceDialog"));
        return *window;
    }

    std::unique_ptr<vandrel::MainFrame> makeWindow() {
        return std::make_unique<vandrel::MainFrame>(core->linkSettings, core->windowSettings,
                                                    core->language, core->channel, core->session,
                                                    *core->timers, prompter);
    }

    bool waitFor(const std::function<bool()>& done, int ms = kWaitMs) {
        return QTest::qWaitFor(done, ms);
    }

    QString text(int id) const { return core->language.Text(id); }
    // The title as the window system shows it, with the modified marker in place.
    static QString shownTitle(const QWidget& window) { return window.windowHandle()->title(); }
    QString format(int id, std::initializer_list<vandrel::FormatArg> args) const {
        return vandrel::FormatText(text(id), std::span(args.begin(), args.size()));
    }
    // Whether a message with text `id` was shown.
    bool shown(int id) const { return shownText(text(id)); }
    bool shownText(const QString& wanted) const {
        for (const auto& m : prompter.messages) {
            if (m.text == wanted) {
                return true;
            }
        }
        return false;
    }
    // Waits for the message with text `id`.
    bool waitShown(int id) {
        return waitFor([&] { return shown(id); });
    }

    // A dialog step that runs the real dialog until it ends.
    static int runReal(QDialog& dialog) { return dialog.exec(); }

    // A dialog step that fills the dialog, then presses the button with this object name.
    static ScriptedPrompter::DialogStep press(const char* button,
                                              std::function<void(QDialog&)> fill = {}) {
        return [button, fill](QDialog& dialog) {
            if (fill) {
                fill(dialog);
            }
            QPushButton* pressed = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
            EXPECT_NE(pressed, nullptr) << button;
            if (pressed != nullptr) {
                pressed->click();
            }
            return dialog.result();
        };
    }
    // Types `text` into the line edit with this object name.
    static std::function<void(QDialog&)> typing(const char* edit, const QString& text) {
        return [edit, text](QDialog& dialog) {
            dialog.findChild<QLineEdit*>(QString::fromLatin1(edit))->setText(text);
        };
    }

    // Keeps a picture of `widget` in the build folder's screenshots.
    static void screenshot(QWidget* widget, const QString& name) {
        const QString folder = QStringLiteral(VANDREL_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    template <typename Action> auto withModel(Action&& action) {
        return converter->withModel(std::forward<Action>(action));
    }

    // The converter's configuration in record order: the link carries the tag at offset 0 swapped.
    vandrel::ConverterConfig converterRecord() {
        auto image = withModel([](auto& m) { return m.configImage(); });
        std::swap(image[0], image[1]);
        vandrel::ConverterConfig record;
        std::copy(image.begin(), image.end(), record.bytes.begin());
        return record;
    }

    // Opens (File > Open, a file) a configuration file at `name` that differs from what the
    // converter holds in one number shown on page 12.
    std::string openFileDifferingFromConverter(vandrel::MainFrame& frame,
                                               const std::string& name = "site.dat") {
        using namespace vandrel;
        ConverterConfig stored = converterRecord();
        const ConfigField& field = *FindConfigField("p12Value1");
        StoreFieldNumber(stored, field, FieldNumber(stored, field) == 7 ? 8 : 7);
        const std::string path = files.file(name);
        EXPECT_EQ(WriteConfigFile(path, stored, DeviceInfo{}), kConfigWritten);
        prompter.dialogSteps.push_back(press("ctl1018")); // a file
        prompter.openAnswers.push_back(FileChoice{QString::fromStdString(path), 1});
        frame.command(cmd::FileOpen);
        EXPECT_EQ(frame.document().filePath().toStdString(), path);
        return path;
    }

    TempDir settings;
    TempDir files;
    ScriptedPrompter prompter;
    ShownDialogs watch;
    std::unique_ptr<vandrel::sim::PtyConverter> converter;
    std::unique_ptr<ProgramObjects> core;
    std::unique_ptr<vandrel::MainFrame> window;
};
