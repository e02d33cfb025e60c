#include "language/MessageStyle.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace vandrel {

namespace {

QMessageBox::Icon toIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

namespace {

bool wanted(MessageButtons buttons, int result) {
    switch (buttons) {
    case MessageButtons::Ok:
        return result == ResultOk;
    case MessageButtons::OkCancel:
        return result == ResultOk || result == ResultCancel;
    case MessageButtons::YesNo:
        return result == ResultYes || result == ResultNo;
    case MessageButtons::YesNoCancel:
        return result == ResultYes || result == ResultNo || result == ResultCancel;
    }
    return false;
}

} // namespace

QMessageBox* CreateMessageBox(const MessageRequest& request, QWidget* parent) {
    auto* box = new QMessageBox(toIcon(request.style.icon), request.title, request.text,
                                QMessageBox::NoButton, parent);
    struct Choice {
        int result;
        QMessageBox::StandardButton button;
        const QString& text;
    };
    const Choice all[] = {
        {ResultYes, QMessageBox::Yes, request.yesText},
        {ResultNo, QMessageBox::No, request.noText},
        {ResultOk, QMessageBox::Ok, request.okText},
        {ResultCancel, QMessageBox::Cancel, request.cancelText},
    };
    for (const Choice& choice : all) {
        if (!wanted(request.style.buttons, choice.result)) {
            continue;
        }
        QPushButton* button = box->addButton(choice.button);
        if (!choice.text.isEmpty()) {
            button->setText(choice.text);
        }
        if (choice.result == request.style.defaultButton) {
            box->setDefaultButton(button);
        }
    }
    return box;
}

int MessageBoxResult(MessageButtons buttons, int boxResult) {
    switch (boxResult) {
    case QMessageBox::Yes:
        return ResultYes;
    case QMessageBox::No:
        return ResultNo;
    case QMessageBox::Ok:
        return ResultOk;
    case QMessageBox::Cancel:
        return ResultCancel;
    default:
        // Closed without a button (only possible where a Cancel or the single OK exists).
        return wanted(buttons, ResultCancel) ? ResultCancel : ResultOk;
    }
}

int ShowMessageBox(const MessageRequest& request) {
    std::unique_ptr<QMessageBox> box(CreateMessageBox(request, QApplication::activeWindow()));
    return MessageBoxResult(request.style.buttons, box->exec());
}

} // namespace vandrel
