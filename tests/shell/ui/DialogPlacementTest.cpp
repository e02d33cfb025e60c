#include "shell/ui/DialogPlacement.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

using namespace vandrel;

namespace {

TEST(DialogPlacement, CentredOverTheOwnerAndKeptInTheWorkArea) {
    struct Case {
        const char* name;
        QSize size;
        std::optional<QRect> owner;
        QRect workArea;
        QPoint expected;
    };
    const QRect screen(0, 0, 1000, 800);
    const Case cases[] = {
        {"over the owner", {200, 100}, QRect(100, 100, 400, 300), screen, {200, 200}},
        {"no owner: over the work area", {200, 100}, std::nullopt, screen, {400, 350}},
        {"owner at the right edge", {200, 100}, QRect(900, 650, 400, 300), screen, {800, 700}},
        {"owner above and left of the screen",
         {200, 100},
         QRect(-300, -200, 200, 100),
         screen,
         {0, 0}},
        {"larger than the work area", {1200, 900}, QRect(100, 100, 400, 300), screen, {0, 0}},
        {"work area below a panel", {1200, 900}, std::nullopt, QRect(0, 30, 1000, 770), {0, 30}},
        {"second screen",
         {200, 100},
         QRect(1500, 100, 400, 300),
         QRect(1000, 0, 800, 600),
         {1600, 200}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(placedTopLeft(c.size, c.owner, c.workArea), c.expected) << c.name;
    }
}

TEST(DialogPlacement, ADialogOpensOverItsShownOwnerElseOverTheScreen) {
    const QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.setGeometry(workArea.x() + 40, workArea.y() + 30, 300, 200);
    QDialog dialog(&owner);
    dialog.resize(120, 80);

    owner.hide();
    placeOverOwner(&dialog);
    EXPECT_EQ(dialog.frameGeometry().center(), workArea.center()) << "hidden owner";

    owner.show();
    placeOverOwner(&dialog);
    const QPoint ownerCentre = owner.frameGeometry().center();
    EXPECT_LE((dialog.frameGeometry().center() - ownerCentre).manhattanLength(), 2);
}

} // namespace
