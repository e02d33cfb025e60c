#include "shell/app/CommandActions.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/ui/UiResources.h"

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMenu>
#include <QWidget>

#include <memory>

namespace vandrel {

namespace {

namespace m = text::menu;

struct CommandSpec {
    int id;
    int label; // menu text number; 0 for keyboard-only commands
    QList<QKeySequence> keys;
    bool checkable = false;
};

QList<CommandSpec> commandSpecs() {
    using K = QKeySequence;
    return {
        {cmd::FileNew, m::FileNew, {K(Qt::CTRL | Qt::Key_N)}},
        {cmd::FileOpen, m::FileOpen, {K(Qt::CTRL | Qt::Key_O)}},
        {cmd::FileSave, m::FileSave, {K(Qt::CTRL | Qt::Key_S)}},
        {cmd::FileClose, m::FileClose, {}},
        {cmd::FileCompare, m::FileCompare, {}},
        {cmd::RestoreBackup, m::RestoreBackup, {}},
        {cmd::AppExit, m::FileExit, {}},
        {cmd::Port, m::Port, {}},
        {cmd::AccessPassword, m::AccessPassword, {}},
        {cmd::Language, m::Language, {}},
        {cmd::ReadBackAfterWrite, m::ReadBackAfterWrite, {}, true},
        {cmd::ReviewBeforeWrite, m::ReviewBeforeWrite, {}, true},
        {cmd::BackupBeforeWrite, m::BackupBeforeWrite, {}, true},
        {cmd::DeviceReset, m::DeviceReset, {}},
        {cmd::FlashLoad, m::FlashLoad, {}},
        {cmd::FlashDownload, m::FlashDownload, {}},
        {cmd::MonitorTab, m::MonitorTab, {}, true},
        {cmd::HelpIndex, m::HelpContents, {K(Qt::Key_F1)}},
        {cmd::AppAbout, m::About, {}},
        {cmd::EditCopy, m::LogCopy, {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}},
        {cmd::EditClear, m::LogClear, {}},
        {cmd::EditFind, m::LogFind, {K(Qt::CTRL | Qt::Key_F)}},
        {cmd::FindNext, m::LogFindNext, {K(Qt::Key_F3)}},
        {cmd::EditSelectAll, m::LogSelectAll, {}},
        {cmd::SaveLog, m::LogSave, {}},
        {cmd::NextTab, 0, {K(Qt::CTRL | Qt::Key_Tab)}},
        {cmd::PreviousTab,
         0,
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)}},
        {cmd::SaveToFile, 0, {}},
        {cmd::ConfigTabToFront, 0, {}},
        {cmd::NextPane, 0, {K(Qt::Key_F6)}},
        {cmd::PreviousPane, 0, {K(Qt::SHIFT | Qt::Key_F6)}},
    };
}

} // namespace

CommandActions::CommandActions(QWidget* window) {
    for (const CommandSpec& spec : commandSpecs()) {
        auto* action = new QAction(window);
        action->setObjectName(QStringLiteral("command%1").arg(spec.id, 0, 16));
        action->setData(spec.id);
        action->setShortcuts(spec.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(spec.checkable);
        action->setIconVisibleInMenu(false);
        window->addAction(action);
        actions_[spec.id] = action;
        if (spec.label != 0) {
            labels_[spec.id] = spec.label;
        }
    }
    if (QAction* save = action(cmd::SaveLog)) {
        save->setIcon(uiIcon(icon::SaveLog));
        save->setIconVisibleInMenu(true);
    }
    showLabelNumbers();
}

QAction* CommandActions::action(int commandId) const {
    const auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

void CommandActions::showLabelNumbers() {
    for (const auto& [id, label] : labels_) {
        actions_.at(id)->setText(QString::number(label));
    }
}

void CommandActions::translateRemaining(const LanguageManager& language) {
    // The language manager translates menus: lend it one holding the untranslated actions.
    auto scratch = std::make_unique<QMenu>();
    for (const auto& [id, label] : labels_) {
        QAction* action = actions_.at(id);
        if (action->text() == QString::number(label)) {
            scratch->addAction(action);
        }
    }
    language.TranslateMenu(scratch.get());
}

void CommandActions::apply(const CommandStates& states, bool busy) {
    const std::map<int, bool> fromTable = {
        {cmd::FileSave, states.save},     {cmd::FileClose, states.close},
        {cmd::EditCopy, states.copy},     {cmd::EditFind, states.find},
        {cmd::FindNext, states.findNext}, {cmd::FileCompare, states.compare},
    };
    for (const auto& [id, action] : actions_) {
        const auto it = fromTable.find(id);
        action->setEnabled(!busy && (it == fromTable.end() || it->second));
    }
    action(cmd::MonitorTab)->setChecked(states.monitorTabChecked);
}

} // namespace vandrel
