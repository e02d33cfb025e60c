#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

// What a message box looks like and what it answers. The answers keep the window system's
// button ids, which the language files also key the standard button texts on.
namespace vandrel {

enum MessageResult : int {
    NoResult = 0,
    ResultOk = 1,
    ResultCancel = 2,
    ResultYes = 6,
    ResultNo = 7,
};

enum class MessageIcon { None, Error, Warning, Information, Question };

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

struct MessageStyle {
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    // The button that Enter presses (a MessageResult); NoResult: the first one.
    int defaultButton = NoResult;
};

// Everything a message box shows. Empty button texts leave the toolkit's own.
struct MessageRequest {
    QString title;
    QString text;
    MessageStyle style;
    QString okText;
    QString cancelText;
    QString yesText;
    QString noText;
};

// Shows a message and answers the MessageResult of the button pressed.
using MessageHandler = std::function<int(const MessageRequest&)>;

// The real dialog: a modal QMessageBox owned by the active window.
int ShowMessageBox(const MessageRequest& request);
// The same box, not yet shown, for a caller that opens it without waiting; the caller owns it.
QMessageBox* CreateMessageBox(const MessageRequest& request, QWidget* parent);
// The MessageResult of a box made by CreateMessageBox from the result it finished with.
int MessageBoxResult(MessageButtons buttons, int boxResult);

} // namespace vandrel
