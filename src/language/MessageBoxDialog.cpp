#include "language/MessageStyle.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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

int ShowMessageBox(const MessageRequest& request) {
    QMessageBox box(toIcon(request.style.icon), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
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
    auto wanted = [&](int result) {
        switch (request.style.buttons) {
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
    };
    for (const Choice& choice : all) {
        if (!wanted(choice.result)) {
            continue;
        }
        QPushButton* button = box.addButton(choice.button);
        if (!choice.text.isEmpty()) {
            button->setText(choice.text);
        }
        if (choice.result == request.style.defaultButton) {
            box.setDefaultButton(button);
        }
    }
    switch (box.exec()) {
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
        return wanted(ResultCancel) ? ResultCancel : ResultOk;
    }
}

} // namespace vandrel
