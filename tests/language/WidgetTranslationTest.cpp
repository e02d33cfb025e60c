#include "language/LanguageManager.h"

#include "LanguageTestSupport.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace vandrel;
using namespace vandrel::test;

namespace {

// Two languages that differ in every text, so that a switch shows which widgets follow it.
const std::string Index = "[general]\nnum_languages=2\n"
                          "[language files]\n1=en.lng\n2=de.lng\n";
const std::string English = "[general]\nversion=1.3.2.0\n"
                            "[strings]\n5000=Port\n5001=Port of the converter:\n30=OK\n"
                            "922=Timeout\n925=Keep\n920=Incoming\n1011=Two\\nlines\n"
                            "[menus]\n1=&File\n100=&New\\Ctrl+N\n101=&Open\\with\\two\n"
                            "109=Recent\n5=&Sub\\menu\n110=E&xit\n";
const std::string German = "[general]\nversion=1.3.2.0\n"
                           "[strings]\n5000=Anschluss\n5001=Anschluss des Konverters:\n30=Gut\n"
                           "922=Zeitlimit\n925=Halten\n920=Ankommend\n1011=Zwei\\nZeilen\n"
                           "[menus]\n1=&Datei\n100=&Neu\\Strg+N\n";

class Translation : public ::testing::Test {
protected:
    void SetUp() override {
        work.write("LANG.INI", Index);
        work.write("en.lng", English);
        work.write("de.lng", German);
        isolate(lm, log);
        ASSERT_TRUE(lm.Load(1));
    }

    WorkFolder work;
    LanguageManager lm;
    MessageLog log;
};

int textId(const QWidget* w) {
    return w->property(LanguageManager::TextIdProperty).toInt();
}

TEST_F(Translation, DialogTextsFollowTheirNumbersAcrossALanguageSwitch) {
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("5000"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QStringLiteral("5001"));
    auto* ok = new QPushButton(QStringLiteral("30"));
    auto* group = new QGroupBox(QStringLiteral("920"));
    auto* inner = new QVBoxLayout(group);
    auto* check = new QCheckBox(QStringLiteral("925"));
    auto* nested = new QLabel(QStringLiteral("922"));
    auto* twoLines = new QLabel(QStringLiteral("1011"));
    auto* time = new QLabel(QStringLiteral("00:05"));
    auto* word = new QLabel(QStringLiteral("Progress1"));
    auto* zero = new QLabel(QStringLiteral("0"));
    auto* missing = new QLabel(QStringLiteral("4711"));
    auto* edit = new QLineEdit(QStringLiteral("922"));
    auto* bar = new QProgressBar;
    inner->addWidget(check);
    inner->addWidget(nested);
    for (QWidget* w : std::initializer_list<QWidget*>{label, ok, group, twoLines, time, word, zero,
                                                      missing, edit, bar}) {
        layout->addWidget(w);
    }
    // A child window is translated when it is opened, not with its owner.
    QDialog child(&dialog);
    child.setWindowTitle(QStringLiteral("5001"));
    auto* childLabel = new QLabel(QStringLiteral("30"), &child);

    lm.TranslateWindow(&dialog);

    struct Expect {
        QWidget* widget;
        int id;
        QString english;
        QString german;
    };
    auto text = [](QWidget* w) {
        if (auto* l = qobject_cast<QLabel*>(w)) {
            return l->text();
        }
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            return b->text();
        }
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
            return g->title();
        }
        return qobject_cast<QLineEdit*>(w)->text();
    };
    const Expect rows[] = {
        {label, 5001, QStringLiteral("Port of the converter:"),
         QStringLiteral("Anschluss des Konverters:")},
        {ok, 30, QStringLiteral("OK"), QStringLiteral("Gut")},
        {group, 920, QStringLiteral("Incoming"), QStringLiteral("Ankommend")},
        {check, 925, QStringLiteral("Keep"), QStringLiteral("Halten")},
        {nested, 922, QStringLiteral("Timeout"), QStringLiteral("Zeitlimit")},
        {twoLines, 1011, QStringLiteral("Two \nlines"), QStringLiteral("Zwei \nZeilen")},
        {time, 0, QStringLiteral("00:05"), QStringLiteral("00:05")},
        {word, 0, QStringLiteral("Progress1"), QStringLiteral("Progress1")},
        {zero, 0, QStringLiteral("0"), QStringLiteral("0")},
        {missing, 4711, QString(), QString()},
        {edit, 0, QStringLiteral("922"), QStringLiteral("922")}, // user data is never touched
    };
    for (const Expect& r : rows) {
        EXPECT_EQ(textId(r.widget), r.id) << r.id;
        EXPECT_EQ(text(r.widget), r.english) << r.id;
    }
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Port"));
    EXPECT_EQ(textId(&dialog), 5000);
    EXPECT_EQ(child.windowTitle(), QStringLiteral("5001"));
    EXPECT_EQ(childLabel->text(), QStringLiteral("30"));

    ASSERT_TRUE(lm.Load(2));
    lm.RetranslateWindow(&dialog);
    for (const Expect& r : rows) {
        EXPECT_EQ(text(r.widget), r.german) << r.id;
    }
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Anschluss"));

    // A failed switch leaves every text as it is.
    EXPECT_FALSE(lm.Load(3));
    lm.RetranslateWindow(&dialog);
    lm.TranslateWindow(&child);
    EXPECT_EQ(label->text(), QStringLiteral("Anschluss des Konverters:"));
    EXPECT_EQ(childLabel->text(), QStringLiteral("30"));
}

// Builds a menu bar from a description: top-level labels and their drop-down entries.
struct MenuEntry {
    const char* label;
    int command;
    std::vector<MenuEntry> items;
};

void addEntries(QMenu* menu, const std::vector<MenuEntry>& items) {
    for (const MenuEntry& e : items) {
        if (e.label == nullptr) {
            menu->addSeparator();
        } else if (!e.items.empty()) {
            addEntries(menu->addMenu(QString::fromUtf8(e.label)), e.items);
        } else {
            menu->addAction(QString::fromUtf8(e.label))->setData(e.command);
        }
    }
}

TEST_F(Translation, MenuBarFromItsDescription) {
    const std::vector<MenuEntry> description = {
        {"1",
         0,
         {{"100", 0xE100, {}},
          {"101", 0xE101, {}},
          {nullptr, 0, {}},
          {"5", 0, {{"109", 0xE110, {}}}},
          {"110", 0xE141, {}},
          {"4711", 0x8000, {}}}},
        {"101", 0, {{"100", 0xE100, {}}}},
    };
    QMenuBar bar;
    for (const MenuEntry& top : description) {
        addEntries(bar.addMenu(QString::fromUtf8(top.label)), top.items);
    }
    lm.TranslateMenuBar(&bar);

    const QList<QAction*> top = bar.actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), QStringLiteral("&File"));
    // On the menu bar itself a backslash stays.
    EXPECT_EQ(top[1]->text(), QStringLiteral("&Open\\with\\two"));

    const QList<QAction*> file = top[0]->menu()->actions();
    ASSERT_EQ(file.size(), 6);
    // The first backslash starts the shortcut column; the entry keeps its command.
    EXPECT_EQ(file[0]->text(), QStringLiteral("&New\tCtrl+N"));
    EXPECT_EQ(file[0]->data().toInt(), 0xE100);
    EXPECT_EQ(file[1]->text(), QStringLiteral("&Open\twith\\two"));
    EXPECT_TRUE(file[2]->isSeparator());
    EXPECT_EQ(file[3]->text(), QStringLiteral("&Sub\tmenu"));
    ASSERT_NE(file[3]->menu(), nullptr);
    EXPECT_EQ(file[3]->menu()->actions()[0]->text(), QStringLiteral("Recent"));
    EXPECT_EQ(file[4]->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(file[5]->text(), QString()); // no text for it
    EXPECT_EQ(file[5]->data().toInt(), 0x8000);
    EXPECT_EQ(top[1]->menu()->actions()[0]->text(), QStringLiteral("&New\tCtrl+N"));
}

TEST_F(Translation, ContextMenuAndFailedManager) {
    QMenu menu;
    menu.addAction(QStringLiteral("100"));
    ASSERT_TRUE(lm.Load(2));
    lm.TranslateMenu(&menu);
    EXPECT_EQ(menu.actions()[0]->text(), QStringLiteral("&Neu\tStrg+N"));

    QMenu untouched;
    untouched.addAction(QStringLiteral("100"));
    EXPECT_FALSE(lm.Load(9));
    lm.TranslateMenu(&untouched);
    EXPECT_EQ(untouched.actions()[0]->text(), QStringLiteral("100"));
}

} // namespace
