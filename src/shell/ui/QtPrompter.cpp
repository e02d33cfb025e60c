#include "shell/ui/FileFilter.h"
#include "shell/ui/Prompter.h"

#include "language/LanguageManager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace vandrel {
namespace {

void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save,
                         QStringList& filters) {
    dialog.setWindowTitle(request.title);
    dialog.setDirectory(request.folder);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.confirmOverwrite));
    filters = nameFiltersFromPipeText(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
}

std::optional<FileChoice> chosenFile(const QFileDialog& dialog, const FileDialogRequest& request,
                                     const QStringList& filters) {
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    FileChoice choice;
    choice.path = dialog.selectedFiles().front();
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    choice.filterIndex = index >= 0 ? static_cast<int>(index) + 1 : request.filterIndex;
    return choice;
}

std::optional<FileChoice> runFileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(QApplication::activeWindow());
    QStringList filters;
    configureFileDialog(dialog, request, save, filters);
    dialog.exec();
    return chosenFile(dialog, request, filters);
}

} // namespace

int Prompter::message(const QString& text, const QString& caption, MessageIcon icon,
                      MessageButtons buttons) {
    MessageRequest request;
    request.text = text;
    request.title = caption;
    request.style.icon = icon;
    request.style.buttons = buttons;
    return message(request);
}

int QtPrompter::message(const MessageRequest& request) {
    return ShowMessageBox(request);
}

void QtPrompter::show(const MessageRequest& request, QWidget* parent,
                      std::function<void(int)> answered) {
    QWidget* owner = parent != nullptr ? parent->window() : QApplication::activeWindow();
    QMessageBox* box = CreateMessageBox(request, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Modal to its window, so that a click there cannot bury it; the window keeps it centred.
    box->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    const MessageButtons buttons = request.style.buttons;
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, answered] {
        if (answered) {
            answered(MessageBoxResult(buttons, box->standardButton(box->clickedButton())));
        }
    });
    box->open();
    if (owner != nullptr) {
        box->adjustSize();
        box->move(owner->frameGeometry().center() - box->rect().center());
    }
    box->raise();
    box->activateWindow();
    if (box->defaultButton() == nullptr) {
        // A lone Ok has no default of its own; Enter should still close the box.
        for (QAbstractButton* candidate : box->buttons()) {
            const auto role = box->buttonRole(candidate);
            if (role == QMessageBox::AcceptRole || role == QMessageBox::YesRole) {
                box->setDefaultButton(qobject_cast<QPushButton*>(candidate));
                break;
            }
        }
    }
    if (QAbstractButton* button = box->defaultButton(); button != nullptr) {
        button->setFocus(Qt::ActiveWindowFocusReason);
    } else {
        box->setFocus(Qt::ActiveWindowFocusReason);
    }
}

std::optional<FileChoice> QtPrompter::getOpenFileName(const FileDialogRequest& request) {
    return runFileDialog(request, false);
}

std::optional<FileChoice> QtPrompter::getSaveFileName(const FileDialogRequest& request) {
    return runFileDialog(request, true);
}

void QtPrompter::openFileName(const FileDialogRequest& request, QWidget* parent,
                              std::function<void(std::optional<FileChoice>)> chosen) {
    auto* dialog =
        new QFileDialog(parent != nullptr ? parent->window() : QApplication::activeWindow());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto filters = std::make_shared<QStringList>();
    configureFileDialog(*dialog, request, false, *filters);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, request, filters, chosen] {
        chosen(chosenFile(*dialog, request, *filters));
    });
    dialog->open();
}

int QtPrompter::runDialog(QDialog& dialog) {
    return dialog.exec();
}

void QtPrompter::openDialog(QDialog& dialog, std::function<void(int)> finished) {
    QObject::connect(&dialog, &QDialog::finished, &dialog, std::move(finished),
                     Qt::SingleShotConnection);
    dialog.open();
}

void routeMessages(LanguageManager& languages, Prompter& prompter) {
    languages.setMessageHandler(
        [&prompter](const MessageRequest& request) { return prompter.message(request); });
}

} // namespace vandrel
