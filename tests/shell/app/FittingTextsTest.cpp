// The status fields and the page tree are wide enough for their texts in each shipped language.
#include "AppRig.h"

#include "configview/PageTree.h"
#include "language/TextIds.h"
#include "shell/app/CommandIds.h"
#include "shell/app/StatusPanes.h"

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleOptionViewItem>
#include <QTreeWidgetItemIterator>

using namespace vandrel;

namespace {

// Whether `pane` shows each text it can show whole: a label of its kind with that text asks
// for no more width than the pane has.
void expectPaneFits(QLabel* pane, int paneIndex, const LanguageManager& language) {
    for (const int id : paneTextIds(paneIndex)) {
        QLabel probe;
        probe.setFrameStyle(pane->frameStyle());
        probe.setFont(pane->font());
        probe.setText(language.Text(id));
        EXPECT_LE(probe.sizeHint().width(), pane->width())
            << "pane " << paneIndex << " text " << id << ": " << probe.text().toStdString();
    }
}

// Whether each item of the tree has room for its image and whole caption.
void expectTreeFits(PageTree* tree) {
    int items = 0;
    for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it, ++items) {
        const QModelIndex index = tree->indexFromItem(*it);
        QStyleOptionViewItem option;
        option.initFrom(tree);
        option.decorationSize = tree->iconSize();
        const QSize needed = tree->itemDelegate()->sizeHint(option, index);
        const QRect room = tree->visualItemRect(*it);
        EXPECT_GE(room.width(), needed.width()) << (*it)->text(0).toStdString();
        EXPECT_LE(room.right(), tree->viewport()->width()) << (*it)->text(0).toStdString();
        EXPECT_GE(room.width(),
                  tree->fontMetrics().horizontalAdvance((*it)->text(0)) + tree->iconSize().width())
            << (*it)->text(0).toStdString();
    }
    EXPECT_EQ(items, 11);
}

} // namespace

class FittingTexts : public AppRig {
protected:
    void switchTo(MainFrame& frame, const char* language) {
        prompter.dialogSteps.push_back(press("ctl1", [language](QDialog& dialog) {
            auto* list = dialog.findChild<QComboBox*>(QStringLiteral("ctl1001"));
            list->setCurrentIndex(list->findText(QString::fromLatin1(language)));
        }));
        frame.command(cmd::Language);
        QCoreApplication::processEvents();
    }
    int treeWidth(MainFrame& frame) {
        return frame.configView()->findChild<QSplitter*>()->sizes().value(0);
    }
};

TEST_F(FittingTexts, StatusFieldsAndPageNamesFitInEachLanguage) {
    MainFrame& frame = openWindow();
    frame.command(cmd::FileNew);
    QCoreApplication::processEvents();
    int englishTree = 0;
    const char* languages[] = {"English", "Deutsch", "English"};
    for (std::size_t i = 0; i < std::size(languages); ++i) {
        const char* language = languages[i];
        SCOPED_TRACE(language);
        if (i > 0) {
            switchTo(frame, language);
        }
        for (int pane = 1; pane <= 2; ++pane) {
            expectPaneFits(frame.statusPanes()->pane(pane), pane, core->language);
        }
        expectTreeFits(frame.configView()->tree());
        if (englishTree == 0) {
            englishTree = treeWidth(frame);
        } else {
            // Widened for German, and not narrowed again: the pane is the user's now.
            EXPECT_GT(treeWidth(frame), englishTree);
        }
        // The longest text as the window shows it: the converter stopped answering.
        StatusInputs failed;
        failed.channelRunning = true;
        failed.sessionFailed = true;
        frame.statusPanes()->refresh(core->language, failed);
        QLabel* link = frame.statusPanes()->pane(1);
        EXPECT_EQ(link->text(), text(text::StatusLinkNoAnswer));
        EXPECT_LE(link->sizeHint().width(), link->width());
        screenshot(frame.statusBar(), QStringLiteral("status-") + QString::fromLatin1(language));
        screenshot(&frame, QStringLiteral("fitting-") + QString::fromLatin1(language));
        frame.refreshStatus();
    }
    // The field that was cut off shows its whole text.
    EXPECT_EQ(core->language.Text(text::StatusLinkNoAnswer),
              QStringLiteral("Converter does not answer"));
}

TEST_F(FittingTexts, AStoredTreeWidthThatIsWiderStays) {
    core->windowSettings.splitterPos = 400;
    MainFrame& frame = openWindow();
    frame.command(cmd::FileNew);
    switchTo(frame, "Deutsch");
    EXPECT_EQ(treeWidth(frame), 400);
    expectTreeFits(frame.configView()->tree());
}
