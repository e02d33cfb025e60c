// File > Compare in the window, against the stand-in converter and against files: the view lists
// what differs without touching the document, a chosen row shows its control on its page, and a
// file that cannot be read is told as File > Open tells it.
#include "AppRig.h"

#include "configview/CompareView.h"
#include "language/TextIds.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

#include <fstream>

using namespace vandrel;

namespace {

struct Shown {
    QString leftHeading;
    QString rightHeading;
    QString summary;
    int pageId = -1;
    QString control;
    QStringList rowPages; // the page ids of the rows, "-" for a row no page shows
};

class CompareWindow : public AppRig {
protected:
    // File > Compare with the source the source dialog's `button` picks; the view, once open, is
    // read into `shown` and then closed by `close` (rejected when none is given).
    void compare(MainFrame& frame, const char* button, Shown& shown,
                 std::function<void(CompareView&)> close = {}) {
        prompter.dialogSteps.push_back(press(button));
        prompter.dialogSteps.push_back([&shown, close](QDialog& dialog) {
            auto* view = qobject_cast<CompareView*>(&dialog);
            EXPECT_NE(view, nullptr) << dialog.metaObject()->className();
            if (view == nullptr) {
                dialog.reject();
                return dialog.result();
            }
            auto* rows = view->findChild<QTreeWidget*>(QStringLiteral("ctlRows"));
            shown.leftHeading = rows->headerItem()->text(1);
            shown.rightHeading = rows->headerItem()->text(2);
            shown.summary = view->findChild<QLabel*>(QStringLiteral("ctlSummary"))->text();
            for (int g = 0; g < rows->topLevelItemCount(); ++g) {
                for (int r = 0; r < rows->topLevelItem(g)->childCount(); ++r) {
                    const QVariant page =
                        rows->topLevelItem(g)->child(r)->data(0, CompareView::PageIdRole);
                    shown.rowPages << (page.isValid() ? page.toString() : QStringLiteral("-"));
                }
            }
            if (close) {
                close(*view);
            } else {
                view->reject();
            }
            return view->result();
        });
        frame.command(cmd::FileCompare);
    }

    static QTreeWidgetItem* firstRowOfPage(CompareView& view, int pageId) {
        auto* rows = view.findChild<QTreeWidget*>(QStringLiteral("ctlRows"));
        for (int g = 0; g < rows->topLevelItemCount(); ++g) {
            for (int r = 0; r < rows->topLevelItem(g)->childCount(); ++r) {
                QTreeWidgetItem* row = rows->topLevelItem(g)->child(r);
                if (row->data(0, CompareView::PageIdRole).toInt() == pageId) {
                    return row;
                }
            }
        }
        return nullptr;
    }

    unsigned frames(sim::RequestKind kind) {
        return withModel([kind](auto& m) { return m.framesReceived(kind); });
    }
};

TEST_F(CompareWindow, WithTheConverterTheDocumentStaysAndAChosenRowShowsItsControl) {
    MainFrame& frame = openWindow();
    const std::string path = openFileDifferingFromConverter(frame);
    const ConverterConfig opened = frame.document().record();
    const QString title = frame.windowTitle();
    const unsigned reads = frames(sim::RequestKind::ConfigRead);

    Shown shown;
    QString wanted;
    compare(frame, "ctl1", shown, [&](CompareView& view) {
        QTreeWidgetItem* row = firstRowOfPage(view, 12);
        ASSERT_NE(row, nullptr);
        shown.pageId = 12;
        shown.control = row->data(0, CompareView::ControlRole).toString();
        auto* rows = view.findChild<QTreeWidget*>(QStringLiteral("ctlRows"));
        rows->scrollToItem(row);
        const QPoint at = rows->visualItemRect(row).center();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, at);
    });
    ASSERT_TRUE(waitFor([&] {
        return prompter.dialogs.size() >= 2 && prompter.dialogs.back() == "vandrel::CompareView" &&
               !shown.control.isEmpty() && frame.configView()->currentPage() == 12 &&
               frame.focusWidget() != nullptr && frame.focusWidget()->objectName() == shown.control;
    })) << shown.control.toStdString()
        << " page " << frame.configView()->currentPage();

    EXPECT_GT(frames(sim::RequestKind::ConfigRead), reads) << "the converter was read";
    EXPECT_EQ(frames(sim::RequestKind::ConfigWrite), 0u);
    EXPECT_EQ(shown.leftHeading, text(text::SideDocument));
    EXPECT_EQ(shown.rightHeading, text(text::SideConverter));
    EXPECT_TRUE(shown.rowPages.contains(QStringLiteral("12")))
        << shown.rowPages.join(',').toStdString();
    // The read was for the comparison only: the document is the file as opened.
    EXPECT_EQ(frame.document().record().bytes, opened.bytes);
    EXPECT_EQ(frame.document().source(), ConfigDocument::Source::File);
    EXPECT_EQ(frame.document().filePath().toStdString(), path);
    EXPECT_FALSE(frame.document().isModified());
    EXPECT_EQ(frame.windowTitle(), title);
}

TEST_F(CompareWindow, WithFilesItSaysIdenticalListsDifferencesAndTellsAFileItCannotRead) {
    MainFrame& frame = openWindow();
    const std::string path = openFileDifferingFromConverter(frame);

    // The file the document came from: nothing differs.
    Shown same;
    prompter.openAnswers.push_back(FileChoice{QString::fromStdString(path), 1});
    compare(frame, "ctl1018", same);
    ASSERT_TRUE(waitFor([&] { return !same.summary.isEmpty(); }));
    EXPECT_EQ(same.summary, text(text::CompareIdentical));
    EXPECT_TRUE(same.rowPages.isEmpty());
    EXPECT_EQ(same.rightHeading, QStringLiteral("site.dat"));

    // A file with what the converter holds: the edited number differs, on page 12.
    const std::string other = files.file("converter.dat");
    ASSERT_EQ(WriteConfigFile(other, converterRecord(), DeviceInfo{}), kConfigWritten);
    Shown differing;
    prompter.openAnswers.push_back(FileChoice{QString::fromStdString(other), 1});
    compare(frame, "ctl1018", differing);
    ASSERT_TRUE(waitFor([&] { return !differing.summary.isEmpty(); }));
    EXPECT_NE(differing.summary, text(text::CompareIdentical));
    EXPECT_TRUE(differing.rowPages.contains(QStringLiteral("12")))
        << differing.rowPages.join(',').toStdString();
    EXPECT_EQ(differing.rightHeading, QStringLiteral("converter.dat"));

    // A damaged file gets File > Open's message and no view.
    const std::string damaged = files.file("damaged.dat");
    std::ofstream(damaged) << "not a configuration";
    const std::size_t dialogs = prompter.dialogs.size();
    const std::size_t messages = prompter.messages.size();
    prompter.dialogSteps.push_back(press("ctl1018"));
    prompter.openAnswers.push_back(FileChoice{QString::fromStdString(damaged), 1});
    frame.command(cmd::FileCompare);
    ASSERT_TRUE(waitFor([&] { return prompter.messages.size() > messages; }));
    const FormatArg why(text(text::ConfigFileDamaged));
    EXPECT_EQ(prompter.messages.back().text,
              FormatText(text(text::ConfigReadFailedFormat), std::span(&why, 1)));
    EXPECT_EQ(prompter.dialogs.size(), dialogs + 1) << "only the source was asked";
    EXPECT_EQ(frame.document().filePath().toStdString(), path);
    EXPECT_FALSE(frame.document().isModified());
}

} // namespace
