#pragma once

#include "language/MessageStyle.h"

#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace vandrel {

class LanguageManager;

// What a file dialog asks for. `filter` is a language-file filter text: description and
// pattern pairs separated by '|' ("Text files (*.txt)|*.txt|All files|*|").
struct FileDialogRequest {
    QString title;
    QString filter;
    int filterIndex = 1; // 1-based, as the filter pairs are counted
    QString folder;      // initial folder
    QString fileName;    // proposed name (save) or preselected file (open)
    QString defaultSuffix;
    bool confirmOverwrite = true; // save only
};

// The file the user chose and the filter that was in effect.
struct FileChoice {
    QString path;
    int filterIndex = 1;
};

// Every message box, question, file dialog and modal dialog of the program goes through one
// Prompter, so that tests answer them without a person and the program shows real dialogs.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Shows a message and answers the MessageResult of the button pressed.
    virtual int message(const MessageRequest& request) = 0;
    // Shows a message without waiting for it: the caller goes on at once and `answered` (when
    // given) gets the MessageResult once the user has closed the box. The box is modal to
    // `parent`'s window, centred on it and has the keyboard focus; with no parent it belongs to
    // the active window.
    virtual void show(const MessageRequest& request, QWidget* parent,
                      std::function<void(int)> answered = {}) = 0;
    void show(const MessageRequest& request, std::function<void(int)> answered = {}) {
        show(request, nullptr, std::move(answered));
    }
    int message(const QString& text, const QString& caption, MessageIcon icon,
                MessageButtons buttons = MessageButtons::Ok);

    // None when the user cancelled.
    virtual std::optional<FileChoice> getOpenFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<FileChoice> getSaveFileName(const FileDialogRequest& request) = 0;
    // The file dialog for an existing file, without waiting: `chosen` gets the answer (none when
    // the user cancelled) once the dialog has ended.
    virtual void openFileName(const FileDialogRequest& request, QWidget* parent,
                              std::function<void(std::optional<FileChoice>)> chosen) = 0;

    // Runs a modal dialog to its end and answers its result code.
    virtual int runDialog(QDialog& dialog) = 0;
    // Opens a dialog without waiting for it: `finished` gets its result code once it ends. The
    // dialog must live until then.
    virtual void openDialog(QDialog& dialog, std::function<void(int)> finished) = 0;
};

// The real dialogs, owned by the active window.
class QtPrompter : public Prompter {
public:
    int message(const MessageRequest& request) override;
    using Prompter::message;
    void show(const MessageRequest& request, QWidget* parent,
              std::function<void(int)> answered = {}) override;
    using Prompter::show;
    std::optional<FileChoice> getOpenFileName(const FileDialogRequest& request) override;
    std::optional<FileChoice> getSaveFileName(const FileDialogRequest& request) override;
    void openFileName(const FileDialogRequest& request, QWidget* parent,
                      std::function<void(std::optional<FileChoice>)> chosen) override;
    int runDialog(QDialog& dialog) override;
    void openDialog(QDialog& dialog, std::function<void(int)> finished) override;
};

// Sends the language manager's message boxes to `prompter`, which must outlive the routing.
void routeMessages(LanguageManager& languages, Prompter& prompter);

} // namespace vandrel
