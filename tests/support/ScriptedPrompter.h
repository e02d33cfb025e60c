#pragma once

#include "shell/ui/Prompter.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

// Answers every message, file dialog and modal dialog from a script and records what was asked.
// A message without a scripted answer gets OK when it has only that button, otherwise the
// cautious answer (Cancel, or No) and is also recorded in `unanswered`. A file dialog without a
// scripted answer is cancelled; a dialog without a script step is rejected.
class ScriptedPrompter : public vandrel::Prompter {
public:
    // A step acts on the open dialog (fills it, presses its buttons) and answers its result;
    // `finish` gives the dialog's own result once the step has ended it.
    using DialogStep = std::function<int(QDialog&)>;

    std::vector<vandrel::MessageRequest> messages;
    std::vector<vandrel::MessageRequest> unanswered;
    // The parent given with each message shown without waiting, in order (null: none).
    std::vector<QWidget*> shownParents;
    // While set, messages shown without waiting stay open until releaseShown(): what happens
    // meanwhile happens under an open box.
    bool holdShown = false;
    std::deque<int> answers;

    std::vector<vandrel::FileDialogRequest> openRequests;
    std::vector<vandrel::FileDialogRequest> saveRequests;
    // Answers to the file dialogs in order; an answer with an empty path cancels.
    std::deque<vandrel::FileChoice> openAnswers;
    std::deque<vandrel::FileChoice> saveAnswers;

    std::vector<QString> dialogs; // class names of the dialogs run, in order
    std::deque<DialogStep> dialogSteps;

    int message(const vandrel::MessageRequest& request) override {
        messages.push_back(request);
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        switch (request.style.buttons) {
        case vandrel::MessageButtons::Ok:
            return vandrel::ResultOk;
        case vandrel::MessageButtons::YesNo:
            unanswered.push_back(request);
            return vandrel::ResultNo;
        case vandrel::MessageButtons::OkCancel:
        case vandrel::MessageButtons::YesNoCancel:
            unanswered.push_back(request);
            return vandrel::ResultCancel;
        }
        return vandrel::NoResult;
    }
    using vandrel::Prompter::message;
    using vandrel::Prompter::show;

    // Recorded and answered like `message`, but the answer arrives from the event loop, as a
    // box the user closes later would give it.
    void show(const vandrel::MessageRequest& request, QWidget* parent,
              std::function<void(int)> answered = {}) override {
        shownParents.push_back(parent);
        const int answer = message(request);
        if (!answered) {
            return;
        }
        if (holdShown) {
            held_.push_back([answered, answer] { answered(answer); });
            return;
        }
        QTimer::singleShot(0, &context_, [answered, answer] { answered(answer); });
    }
    // Closes the boxes held open, in the order they were shown.
    void releaseShown() {
        holdShown = false;
        std::vector<std::function<void()>> open;
        open.swap(held_);
        for (const auto& close : open) {
            close();
        }
    }

    std::optional<vandrel::FileChoice>
    getOpenFileName(const vandrel::FileDialogRequest& request) override {
        openRequests.push_back(request);
        return next(openAnswers);
    }
    std::optional<vandrel::FileChoice>
    getSaveFileName(const vandrel::FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return next(saveAnswers);
    }

    // Answered like getOpenFileName, from the event loop.
    void openFileName(const vandrel::FileDialogRequest& request, QWidget*,
                      std::function<void(std::optional<vandrel::FileChoice>)> chosen) override {
        openRequests.push_back(request);
        const std::optional<vandrel::FileChoice> answer = next(openAnswers);
        QTimer::singleShot(0, &context_, [chosen, answer] { chosen(answer); });
    }

    int runDialog(QDialog& dialog) override {
        dialogs.push_back(QString::fromLatin1(dialog.metaObject()->className()));
        if (dialogSteps.empty()) {
            dialog.reject();
            return dialog.result();
        }
        DialogStep step = std::move(dialogSteps.front());
        dialogSteps.pop_front();
        return step(dialog);
    }

    // Like runDialog, but the step runs from the event loop and the result reaches `finished`,
    // as a dialog opened without waiting gives it.
    void openDialog(QDialog& dialog, std::function<void(int)> finished) override {
        dialogs.push_back(QString::fromLatin1(dialog.metaObject()->className()));
        QObject::connect(&dialog, &QDialog::finished, &dialog, std::move(finished),
                         Qt::SingleShotConnection);
        std::optional<DialogStep> step;
        if (!dialogSteps.empty()) {
            step = std::move(dialogSteps.front());
            dialogSteps.pop_front();
        }
        QPointer<QDialog> open(&dialog);
        QTimer::singleShot(0, &context_, [open, step] {
            if (!open) {
                return;
            }
            if (!open->isVisible()) {
                open->open();
            }
            if (step) {
                (*step)(*open);
            } else {
                open->reject();
            }
        });
    }

    // The dialog's result after a step has pressed its buttons.
    static int finish(QDialog& dialog) { return dialog.result(); }

    // Texts of the messages shown so far.
    std::vector<QString> texts() const {
        std::vector<QString> all;
        for (const auto& m : messages) {
            all.push_back(m.text);
        }
        return all;
    }

private:
    QObject context_; // answers still on their way die with the prompter
    std::vector<std::function<void()>> held_;

    static std::optional<vandrel::FileChoice> next(std::deque<vandrel::FileChoice>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        const vandrel::FileChoice answer = queue.front();
        queue.pop_front();
        if (answer.path.isEmpty()) {
            return std::nullopt;
        }
        return answer;
    }
};
