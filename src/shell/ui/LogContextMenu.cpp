#include "shell/ui/LogContextMenu.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "shell/ui/UiResources.h"

#include <QMenu>

namespace vandrel {

QMenu* createLogContextMenu(const LanguageManager& languages, bool canCopy, QWidget* parent) {
    struct Entry {
        int command;
        int label;
    };
    static constexpr Entry entries[] = {
        {logcmd::Copy, text::menu::LogCopy},           {logcmd::Clear, text::menu::LogClear},
        {logcmd::Find, text::menu::LogFind},           {logcmd::FindNext, text::menu::LogFindNext},
        {logcmd::SelectAll, text::menu::LogSelectAll}, {logcmd::SaveLog, text::menu::LogSave},
    };
    auto* menu = new QMenu(parent);
    for (const Entry& e : entries) {
        if (e.command == logcmd::SaveLog) {
            menu->addSeparator();
        }
        QAction* action = menu->addAction(QString::number(e.label));
        action->setData(e.command);
        if (e.command == logcmd::Copy) {
            action->setEnabled(canCopy);
        }
        if (e.command == logcmd::SaveLog) {
            action->setIcon(uiIcon(icon::SaveLog));
        }
    }
    // The labels are menu text numbers until translated.
    languages.TranslateMenu(menu);
    return menu;
}

} // namespace vandrel
