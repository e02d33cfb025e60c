// What assistive technology finds in the window, the pages and the dialogs: a name for every
// control, and switches whose fields follow them however they change.
#include "AppRig.h"

#include "configview/ConfigPage.h"
#include "configview/PageTable.h"
#include "configview/PageTree.h"
#include "language/AccessibleNames.h"
#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/app/FindDialog.h"
#include "shell/ui/AboutDialog.h"
#include "shell/ui/ChangePasswordDialog.h"
#include "shell/ui/LanguageDialog.h"
#include "shell/ui/PasswordDialog.h"
#include "shell/ui/PortDialog.h"
#include "shell/ui/SourceChoiceDialog.h"
#include "shell/ui/SystemMonitorPane.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QTreeWidgetItemIterator>

#include <map>

using namespace vandrel;

namespace {

// The controls of `root` that take the focus. A control that hands its focus to another (an
// editable list's edit) counts as that one; popups and other windows are left out.
std::vector<QWidget*> focusable(QWidget* root) {
    std::vector<QWidget*> found;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus && w->focusProxy() == nullptr &&
            w->window() == root->window() && w->isVisibleTo(root->window())) {
            found.push_back(w);
        }
    }
    return found;
}

QString describe(const QWidget* w) {
    return w->objectName() + QStringLiteral(" (") +
           QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(')');
}

// Every control of `root` has a name of its own: not empty, not the value it shows, and no
// other control of `root` is read the same. No Tab stop is a nameless container.
void expectNamed(QWidget* root, const QString& where) {
    // Edits that show nothing get a value, so that a name taken from the value would show.
    for (QLineEdit* edit : root->findChildren<QLineEdit*>()) {
        if (edit->text().isEmpty() && edit->isEnabled() && !edit->isReadOnly()) {
            edit->setText(QStringLiteral("12"));
        }
    }
    std::map<QString, QString> names; // spoken name -> control
    const std::vector<QWidget*> controls = focusable(root);
    EXPECT_FALSE(controls.empty()) << where.toStdString();
    for (QWidget* w : controls) {
        const std::string what = (where + QStringLiteral(": ") + describe(w)).toStdString();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(iface, nullptr) << what;
        const QString name = AccessibleNames::Spoken(iface->text(QAccessible::Name));
        const QString value = AccessibleNames::Spoken(iface->text(QAccessible::Value));
        EXPECT_FALSE(name.isEmpty()) << what;
        // An item view answers its name for its value too; it has no value of its own.
        if (!value.isEmpty() && qobject_cast<QAbstractItemView*>(w) == nullptr) {
            EXPECT_NE(name.toStdString(), value.toStdString()) << what << " is read by its value";
        }
        if (auto* list = qobject_cast<QComboBox*>(w); list != nullptr && list->count() > 0) {
            EXPECT_NE(name.toStdString(),
                      AccessibleNames::Spoken(list->currentText()).toStdString())
                << what;
            EXPECT_EQ(value.toStdString(),
                      AccessibleNames::Spoken(list->currentText()).toStdString())
                << what;
        }
        const auto [at, added] = names.emplace(name, describe(w));
        EXPECT_TRUE(added) << what << " is read as \"" << name.toStdString() << "\" like "
                           << at->second.toStdString();
        if ((w->focusPolicy() & Qt::TabFocus) != 0) {
            const QAccessible::Role role = iface->role();
            EXPECT_TRUE(role != QAccessible::Client && role != QAccessible::Pane &&
                        role != QAccessible::Grouping && role != QAccessible::Window)
                << what << " is a container that takes Tab";
        }
    }
}

QTreeWidgetItem* treeItem(ConfigView* view, int pageId) {
    for (QTreeWidgetItemIterator it(view->tree()); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == pageId) {
            return *it;
        }
    }
    return nullptr;
}

ConfigPage* showPage(ConfigView* view, int pageId) {
    QTreeWidgetItem* item = treeItem(view, pageId);
    EXPECT_NE(item, nullptr) << pageId;
    view->tree()->setCurrentItem(item);
    EXPECT_EQ(view->currentPage(), pageId);
    return view->page();
}

// The ways a switch changes: a click, the program, and the action of assistive technology
// (which toggles it without a click).
enum class Flip { Click, SetChecked, Toggle, AccessibleAction };

void flip(QAbstractButton* button, Flip how) {
    switch (how) {
    case Flip::Click:
        button->click();
        break;
    case Flip::SetChecked:
        button->setChecked(!button->isChecked());
        break;
    case Flip::Toggle:
        button->toggle();
        break;
    case Flip::AccessibleAction: {
        QAccessibleActionInterface* action =
            QAccessible::queryAccessibleInterface(button)->actionInterface();
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        action->doAction(QAccessibleActionInterface::toggleAction());
        break;
    }
    }
}

} // namespace

class Accessibility : public AppRig {
protected:
    void switchToGerman(MainFrame& frame) {
        prompter.dialogSteps.push_back(press("ctl1", [](QDialog& dialog) {
            auto* list = dialog.findChild<QComboBox*>(QStringLiteral("ctl1001"));
            list->setCurrentIndex(list->findText(QStringLiteral("Deutsch")));
        }));
        frame.command(cmd::Language);
        ASSERT_EQ(core->linkSettings.language, 2u);
    }
};

TEST_F(Accessibility, EveryControlOfTheWindowAndItsPagesHasANameInEitherLanguage) {
    MainFrame& frame = openWindow();
    frame.command(cmd::FileNew);
    frame.command(cmd::MonitorTab);
    ConfigView* view = frame.configView();
    auto* pageArea = view->findChild<QScrollArea*>();
    ASSERT_NE(pageArea, nullptr);
    EXPECT_EQ(pageArea->focusPolicy() & Qt::TabFocus, 0) << "the page area is no Tab stop";

    for (const QString& language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        if (language == QStringLiteral("Deutsch")) {
            switchToGerman(frame);
        }
        for (const PageRow& row : kPageTable) {
            ConfigPage* page = showPage(view, row.pageId);
            ASSERT_NE(page, nullptr);
            if (!IsEditingPage(row.pageId)) {
                EXPECT_TRUE(focusable(page).empty()) << row.pageId << " has nothing to edit";
                continue;
            }
            expectNamed(page, language + QStringLiteral(" page ") + QString::number(row.pageId));
        }
        // The window around the pages: tree, tabs, toolbar; then the monitor pane.
        showPage(view, PageId::Root);
        expectNamed(&frame, language + QStringLiteral(" window"));
        frame.tabs()->setCurrentWidget(frame.monitorPane());
        expectNamed(frame.monitorPane(), language + QStringLiteral(" monitor"));
        frame.tabs()->setCurrentIndex(0);
    }

    // Names made of two texts and names without a label follow the switch.
    ConfigPage* page21 = showPage(view, PageId::Page21);
    EXPECT_EQ(page21->findChild<QWidget*>(QStringLiteral("ctl1024"))->accessibleName(),
              QStringLiteral("Umleiten bei besetzt: Ausschalten"));
    EXPECT_EQ(view->tree()->accessibleName(), text(text::PageTreeName));
    EXPECT_EQ(frame.monitorPane()->findChild<QWidget*>(QStringLiteral("ctl1021"))->accessibleName(),
              QStringLiteral("Monitorausgabe"));
}

TEST_F(Accessibility, EveryDialogNamesItsControls) {
    MainFrame& frame = openWindow();
    const LanguageManager& language = core->language;
    const PortLister ports = [] {
        return std::vector<PortEntry>{{QStringLiteral("/dev/pts/0"), QStringLiteral("adapter")},
                                      {QStringLiteral("/dev/ttyS0"), QString()}};
    };
    struct Case {
        const char* name;
        std::function<QDialog*()> make;
    };
    const Case cases[] = {
        {"change password", [&] { return new ChangePasswordDialog(language, prompter, &frame); }},
        {"password", [&] { return new PasswordDialog(language, &frame); }},
        {"port",
         [&] { return new PortDialog(QStringLiteral("/dev/pts/0"), language, &frame, ports); }},
        {"language", [&] { return new LanguageDialog(1, language, &frame); }},
        {"source choice",
         [&] { return new SourceChoiceDialog(SourceChoiceDialog::Mode::Open, language, &frame); }},
        {"about", [&] { return new AboutDialog(language, &frame); }},
        {"find",
         [&] { return new FindDialog(language, QStringLiteral("ring"), false, false, &frame); }},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QDialog> dialog(c.make());
        dialog->show();
        expectNamed(dialog.get(), QString::fromLatin1(c.name));
    }
    // The combo boxes that were read by their entry are read by their label.
    std::unique_ptr<QDialog> port(cases[2].make());
    auto* portList = port->findChild<QComboBox*>(QStringLiteral("ctl1001"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(portList)->text(QAccessible::Name),
              text(text::PortDialogLabel));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(portList)->text(QAccessible::Value),
              QStringLiteral("/dev/pts/0"));
}

TEST_F(Accessibility, FieldsFollowTheirSwitchHoweverItChanges) {
    struct Row {
        int pageId;
        const char* toggle;
        std::vector<const char*> dependents;
        const char* needs; // a switch that must be on as well; nullptr: none
    };
    // The pages' enabling rules: each switch and the labels and edits it enables.
    const Row rows[] = {
        {PageId::Page12, "ctl1014", {"ctl1002", "ctl1025"}, nullptr},
        {PageId::Page12, "ctl1055", {"ctl1004", "ctl1028"}, nullptr},
        {PageId::Page21, "ctl1010", {"ctl1003", "ctl1000", "ctl1002", "ctl1007"}, nullptr},
        {PageId::Page21, "ctl1013", {"ctl1033", "ctl1022", "ctl1034", "ctl1024"}, nullptr},
        {PageId::Page21, "ctl1014", {"ctl1043", "ctl1025", "ctl1044", "ctl1026"}, nullptr},
        {PageId::Page22,
         "ctl1010",
         {"ctl1003", "ctl1000", "ctl1002", "ctl1007", "ctl1013"},
         nullptr},
        {PageId::Page22,
         "ctl1013",
         {"ctl1033", "ctl1022", "ctl1034", "ctl1024", "ctl1043", "ctl1025", "ctl1044", "ctl1026",
          "ctl1045", "ctl1027", "ctl1046"},
         "ctl1010"},
        {PageId::Page23, "ctl1010", {"ctl1003", "ctl1000"}, nullptr},
        {PageId::Page24, "ctl1010", {"ctl1003", "ctl1000"}, nullptr},
    };
    MainFrame& frame = openWindow();
    frame.command(cmd::FileNew);
    ConfigView* view = frame.configView();
    for (const Row& row : rows) {
        for (const Flip how :
             {Flip::Click, Flip::SetChecked, Flip::Toggle, Flip::AccessibleAction}) {
            const std::string what = std::to_string(row.pageId) + " " + row.toggle + " way " +
                                     std::to_string(static_cast<int>(how));
            ConfigPage* page = showPage(view, row.pageId);
            ASSERT_NE(page, nullptr) << what;
            if (row.needs != nullptr) {
                page->findChild<QAbstractButton*>(QString::fromLatin1(row.needs))->setChecked(true);
            }
            auto* toggle = page->findChild<QAbstractButton*>(QString::fromLatin1(row.toggle));
            ASSERT_NE(toggle, nullptr) << what;
            const bool before = toggle->isChecked();
            for (int round = 0; round < 2; ++round) {
                flip(toggle, how);
                for (const char* name : row.dependents) {
                    auto* dependent = page->findChild<QWidget*>(QString::fromLatin1(name));
                    ASSERT_NE(dependent, nullptr) << what << " " << name;
                    EXPECT_EQ(dependent->isEnabled(), toggle->isChecked())
                        << what << " round " << round << ": " << name;
                }
            }
            // Back where it started, so that the page collects as it was shown.
            EXPECT_EQ(toggle->isChecked(), before) << what;
            if (row.needs != nullptr) {
                page->findChild<QAbstractButton*>(QString::fromLatin1(row.needs))
                    ->setChecked(false);
            }
            showPage(view, PageId::Root);
        }
    }
    // Switching the main line service off switches the further services off with it.
    ConfigPage* page22 = showPage(view, PageId::Page22);
    auto* main = page22->findChild<QAbstractButton*>(QStringLiteral("ctl1010"));
    auto* further = page22->findChild<QAbstractButton*>(QStringLiteral("ctl1013"));
    main->setChecked(true);
    further->setChecked(true);
    main->toggle();
    EXPECT_FALSE(further->isChecked());
    EXPECT_FALSE(page22->findChild<QWidget*>(QStringLiteral("ctl1027"))->isEnabled());
}
