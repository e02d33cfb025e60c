#include "shell/app/MenuDescription.h"

#include "language/TextIds.h"
#include "shell/app/CommandActions.h"
#include "shell/app/CommandIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace vandrel {

namespace {

namespace m = text::menu;

constexpr MenuEntry kMainMenu[] = {
    {0, m::File, 0},
    {1, m::FileNew, cmd::FileNew},
    {1, m::FileOpen, cmd::FileOpen},
    {1, m::FileSave, cmd::FileSave},
    {1, m::FileClose, cmd::FileClose},
    {1, 0, 0},
    {1, m::FileCompare, cmd::FileCompare},
    {1, m::RestoreBackup, cmd::RestoreBackup},
    {1, 0, 0},
    {1, m::RecentFiles, cmd::FileRecentFirst},
    {1, 0, 0},
    {1, m::FileExit, cmd::AppExit},
    {0, m::Settings, 0},
    {1, m::Port, cmd::Port},
    {1, m::AccessPassword, cmd::AccessPassword},
    {1, m::Language, cmd::Language},
    {1, 0, 0},
    {1, m::ReadBackAfterWrite, cmd::ReadBackAfterWrite},
    {1, m::ReviewBeforeWrite, cmd::ReviewBeforeWrite},
    {1, m::BackupBeforeWrite, cmd::BackupBeforeWrite},
    {0, m::Device, 0},
    {1, m::DeviceReset, cmd::DeviceReset},
    {1, 0, 0},
    {1, m::FlashLoad, cmd::FlashLoad},
    {1, m::FlashDownload, cmd::FlashDownload},
    {1, 0, 0},
    {1, m::MonitorTab, cmd::MonitorTab},
    {0, m::Help, 0},
    {1, m::HelpContents, cmd::HelpIndex},
    {1, 0, 0},
    {1, m::About, cmd::AppAbout},
};

void addEntry(QMenu* menu, const MenuEntry& entry, const CommandActions& actions) {
    if (entry.label == 0) {
        menu->addSeparator();
        return;
    }
    if (QAction* shared = actions.action(entry.commandId)) {
        menu->addAction(shared);
        return;
    }
    QAction* own = menu->addAction(QString::number(entry.label));
    own->setData(entry.commandId);
}

} // namespace

std::span<const MenuEntry> mainMenuDescription() {
    return kMainMenu;
}

QMenuBar* buildMenuBar(std::span<const MenuEntry> description, const CommandActions& actions,
                       QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    QMenu* current = nullptr;
    for (const MenuEntry& entry : description) {
        if (entry.depth == 0) {
            current = bar->addMenu(QString::number(entry.label));
        } else if (current != nullptr) {
            addEntry(current, entry, actions);
        }
    }
    return bar;
}

} // namespace vandrel
