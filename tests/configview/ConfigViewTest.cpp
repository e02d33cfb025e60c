// The document and its page tree.
#include "config/CodeField.h"
#include "config/ConfigFile.h"
#include "configview/PageTable.h"
#include "language/TextIds.h"

#include "ViewTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QTest>

#include <fstream>

using namespace vandrel;
using namespace vandrel::test;
using namespace vandrel::ConfigOffset;

namespace {

class ConfigViewTest : public ViewTest {
protected:
    void clickItem(int pageId) {
        QTreeWidgetItem* target = item(pageId);
        ASSERT_NE(target, nullptr);
        view->tree()->scrollToItem(target);
        const QRect rect = view->tree()->visualItemRect(target);
        QTest::mouseClick(view->tree()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void key(Qt::Key k) { QTest::keyClick(view->tree(), k); }

    // Page 21 with its first switch on and an empty second code: the page refuses.
    void refusingPage21() {
        openOn(Defaults(), 21);
        control<QAbstractButton>("ctl1010")->click();
        control<QLineEdit>("ctl1000")->setText("*99*n#");
        control<QLineEdit>("ctl1007")->clear();
    }
};

TEST_F(ConfigViewTest, StartsEmptyWithTheBlankPage) {
    EXPECT_EQ(document.documentFlags(), ConfigDocument::EmptyFlag);
    EXPECT_EQ(view->currentPage(), -1);
    EXPECT_TRUE(document.filePath().isEmpty());
    EXPECT_EQ(document.deviceInfo().systemInfoNumber, 255);
    EXPECT_EQ(view->tree()->topLevelItemCount(), 0);
    ASSERT_NE(view->page(), nullptr);
    EXPECT_TRUE(control<QLabel>("ctl1003")->text().isEmpty());
    EXPECT_NE(view->findChild<QLabel*>()->text().indexOf(text(602)), -1);
    // Nothing to save or ask while empty.
    EXPECT_FALSE(view->SaveDocument());
    EXPECT_TRUE(view->QuerySave());
    EXPECT_TRUE(view->CloseDocument());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConfigViewTest, NewBuildsTheTreeAndShowsTheFirstPage) {
    ConverterConfig filled;
    filled.bytes.fill(0x55);
    openOn(filled, 22);
    ASSERT_TRUE(view->OpenDocument());
    EXPECT_EQ(record.bytes, Defaults().bytes);
    EXPECT_EQ(document.documentFlags(), 0);
    EXPECT_EQ(view->currentPage(), 0);
    EXPECT_EQ(control<QLabel>("ctl1003")->text(), text(611).left(259));

    ASSERT_EQ(view->tree()->topLevelItemCount(), 1);
    for (const PageRow& row : kPageTable) {
        QTreeWidgetItem* it = item(row.pageId);
        ASSERT_NE(it, nullptr) << row.pageId;
        EXPECT_EQ(it->text(0), text(row.captionText));
        const int parent =
            it->parent() == nullptr ? -1 : it->parent()->data(0, Qt::UserRole).toInt();
        EXPECT_EQ(parent, row.parentId) << row.pageId;
        if (it->childCount() > 0) {
            EXPECT_TRUE(it->isExpanded()) << row.pageId;
        }
        EXPECT_FALSE(it->icon(0).isNull()) << row.pageId;
    }
    // Tree order is the table's order.
    int position = 0;
    for (QTreeWidgetItemIterator it(view->tree()); *it != nullptr; ++it, ++position) {
        EXPECT_EQ((*it)->data(0, Qt::UserRole).toInt(), kPageTable[position].pageId);
    }
    EXPECT_EQ(view->tree()->currentItem(), item(0));
}

TEST_F(ConfigViewTest, RefusedCollectKeepsTheTreeOnThePageForMouseAndKeyboard) {
    refusingPage21();
    const ConverterConfig before = record;
    view->show();
    clickItem(22);
    EXPECT_EQ(view->tree()->currentItem(), item(21));
    EXPECT_EQ(view->tree()->selectedItems(), QList<QTreeWidgetItem*>{item(21)});
    EXPECT_EQ(view->currentPage(), 21);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text(1020));
    EXPECT_EQ(messages.shown[0].title, text(15));
    EXPECT_EQ(messages.shown[0].style.icon, MessageIcon::Warning);
    EXPECT_EQ(messages.shown[0].style.buttons, MessageButtons::Ok);
    EXPECT_EQ(tabRequests, 1);
    // The record keeps its old code although edit 1000 changed; the input stays on the page.
    EXPECT_EQ(record.bytes, before.bytes);
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(control<QLineEdit>("ctl1000")->text(), "*99*n#");

    view->tree()->setFocus();
    key(Qt::Key_Down);
    EXPECT_EQ(view->tree()->currentItem(), item(21));
    EXPECT_FALSE(timer->active);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(tabRequests, 2);

    // Once the code is there the move goes through.
    control<QLineEdit>("ctl1007")->setText("#99#");
    clickItem(22);
    EXPECT_EQ(view->currentPage(), 22);
    EXPECT_EQ(CodeFieldText(record, p21Code1On), "*99*n#");
    EXPECT_TRUE(document.isModified());
}

struct RefusalCase {
    int pageId;
    const char* toggle;
    const char* emptied;
    int refusalText;
};

class PageRefusal : public ConfigViewTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PageRefusal, SwitchedOnEmptyFieldRefusesWithThePageText) {
    const RefusalCase& c = GetParam();
    openOn(Defaults(), c.pageId);
    if (c.toggle != nullptr) {
        control<QAbstractButton>(c.toggle)->click();
    }
    control<QLineEdit>(c.emptied)->clear();
    EXPECT_FALSE(view->CollectPage());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text(c.refusalText));
    EXPECT_EQ(record.bytes, Defaults().bytes);
    EXPECT_FALSE(document.isModified());
    // Save and the save question stop at the refusal as well.
    EXPECT_FALSE(view->SaveDocument());
    EXPECT_FALSE(view->QuerySave());
    EXPECT_EQ(messages.shown.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageRefusal,
                         ::testing::Values(RefusalCase{12, "ctl1014", "ctl1025", 949},
                                           RefusalCase{12, "ctl1055", "ctl1028", 949},
                                           RefusalCase{21, "ctl1013", "ctl1022", 1020},
                                           RefusalCase{21, "ctl1014", "ctl1026", 1020},
                                           RefusalCase{22, "ctl1010", "ctl1007", 1120},
                                           RefusalCase{22, "ctl1010", "ctl1000", 1120},
                                           RefusalCase{23, "ctl1010", "ctl1000", 1210},
                                           RefusalCase{24, "ctl1010", "ctl1000", 1210}));

TEST_F(ConfigViewTest, Page22SecondSwitchMakesItsFirstCodeMandatory) {
    ConverterConfig r = Defaults();
    r.bytes[enableBits] = 0x18;
    openOn(r, 22);
    control<QLineEdit>("ctl1024")->clear(); // optional
    EXPECT_TRUE(view->CollectPage());
    control<QLineEdit>("ctl1022")->clear();
    EXPECT_FALSE(view->CollectPage());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text(1120));
}

TEST_F(ConfigViewTest, ModifiedOnlyWhenACollectFindsADifference) {
    openOn(Defaults(), 23);
    ASSERT_TRUE(view->CollectPage());
    EXPECT_FALSE(document.isModified());
    control<QLineEdit>("ctl1000")->setText("*37#");
    EXPECT_FALSE(document.isModified()) << "editing alone";
    ASSERT_TRUE(view->CollectPage());
    EXPECT_TRUE(document.isModified());
    // Text and group pages never change the record.
    ConverterConfig odd = Defaults();
    odd.bytes[p11Count] = 99;
    document.newDocument(odd);
    ASSERT_TRUE(showPage(1));
    ASSERT_TRUE(showPage(41));
    ASSERT_TRUE(view->CollectPage());
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(record.bytes[p11Count], 99);
}

TEST_F(ConfigViewTest, KeyboardMovesBuildOnlyThePageTheUserRestsOn) {
    ASSERT_TRUE(view->OpenDocument());
    view->show();
    view->tree()->setFocus();
    const ConfigPage* first = view->page();
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_Down);
        EXPECT_TRUE(timer->active);
        EXPECT_EQ(timer->interval, ConfigView::KeyboardDelayMs);
        EXPECT_EQ(view->page(), first) << "built before the delay";
        EXPECT_EQ(view->currentPage(), 0);
    }
    EXPECT_EQ(timer->starts, 3);
    EXPECT_EQ(view->tree()->currentItem(), item(12));
    timer->fire();
    EXPECT_EQ(view->currentPage(), 12);
    EXPECT_NE(view->page(), nullptr);

    // A mouse click in between stops the delay and switches at once.
    key(Qt::Key_Down);
    EXPECT_TRUE(timer->active);
    clickItem(41);
    EXPECT_FALSE(timer->active);
    EXPECT_EQ(view->currentPage(), 41);
}

TEST_F(ConfigViewTest, RealTimerDelaysThePage) {
    view->setKeyboardTimer(MakeQtViewTimer());
    ASSERT_TRUE(view->OpenDocument());
    view->show();
    view->tree()->setFocus();
    key(Qt::Key_Down);
    EXPECT_EQ(view->currentPage(), 0);
    EXPECT_TRUE(QTest::qWaitFor([this] { return view->currentPage() == 1; }, 5000));
}

TEST_F(ConfigViewTest, OpenOfABadFileKeepsTheDocument) {
    TempDir dir;
    const std::string bad = dir.file("bad.dat");
    std::ofstream(bad, std::ios::binary) << std::string(787, 'x');
    ASSERT_TRUE(view->OpenDocument());
    openOn(Defaults(), 23);
    control<QAbstractButton>("ctl1010")->click();
    ASSERT_TRUE(view->CollectPage());
    const ConverterConfig before = record;

    struct BadFile {
        std::string path;
        int reason;
    };
    for (const BadFile& file : {BadFile{bad, 712}, BadFile{dir.file("missing.dat"), 711}}) {
        messages.shown.clear();
        EXPECT_FALSE(view->OpenDocument(QString::fromStdString(file.path)));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, text(710).replace("%s", text(file.reason)));
        EXPECT_EQ(messages.shown[0].title, text(10));
        EXPECT_EQ(messages.shown[0].style.icon, MessageIcon::Warning);
        EXPECT_EQ(record.bytes, before.bytes);
        EXPECT_TRUE(document.isModified());
        EXPECT_TRUE(document.filePath().isEmpty());
        EXPECT_EQ(view->currentPage(), 23);
    }
}

TEST_F(ConfigViewTest, SaveAndOpenKeepRecordDeviceInfoAndPath) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("a.dat"));
    openOn(Defaults(), 24);
    control<QAbstractButton>("ctl1010")->click();
    DeviceInfo info;
    SetVersionText(info.loaderVersion, "L1.0");
    info.systemInfoNumber = 1;
    document.takeDeviceInfo(info);
    // Saving collects the page first.
    ASSERT_TRUE(view->SaveDocument(path));
    EXPECT_EQ(record.bytes[enableBits], 0x40);
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.filePath(), path);
    const ConverterConfig saved = record;

    ASSERT_TRUE(view->OpenDocument());
    EXPECT_TRUE(document.filePath().isEmpty());
    ASSERT_TRUE(view->OpenDocument(path));
    EXPECT_EQ(record.bytes, saved.bytes);
    EXPECT_EQ(document.filePath(), path);
    EXPECT_EQ(document.documentFlags(), 0);
    EXPECT_EQ(VersionTextString(document.deviceInfo().loaderVersion), "L1.0");
    EXPECT_EQ(document.deviceInfo().systemInfoNumber, 1);
    EXPECT_EQ(view->currentPage(), 0);

    // Without a path the document goes to its own file.
    ASSERT_TRUE(showPage(23));
    control<QAbstractButton>("ctl1010")->click();
    ASSERT_TRUE(view->CollectPage());
    ASSERT_TRUE(view->SaveDocument());
    ConverterConfig reread;
    ASSERT_EQ(ReadConfigFile(path.toStdString(), reread), kConfigLoaded);
    EXPECT_EQ(reread.bytes[enableBits], 0x60);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConfigViewTest, FailedSaveKeepsModifiedAndPath) {
    TempDir dir;
    const QString good = QString::fromStdString(dir.file("good.dat"));
    ASSERT_TRUE(view->OpenDocument());
    ASSERT_TRUE(view->SaveDocument(good));
    document.takeRead(Defaults()); // modified
    EXPECT_FALSE(view->SaveDocument(QString::fromStdString(dir.file("no/such/folder/x.dat"))));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text(705));
    EXPECT_EQ(messages.shown[0].title, text(10));
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.filePath(), good);
}

struct QuestionCase {
    const char* name;
    int answer;
    bool saves; // what the main window's save does
    bool result;
};

class SaveQuestion : public ConfigViewTest, public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(SaveQuestion, AnswersDecideWhetherTheCallerGoesOn) {
    const QuestionCase& c = GetParam();
    int saveRequests = 0;
    QObject::connect(view.get(), &ConfigView::saveToFileWanted, [&] {
        ++saveRequests;
        if (c.saves) {
            TempDir dir;
            view->SaveDocument(QString::fromStdString(dir.file("q.dat")));
        }
    });
    ASSERT_TRUE(view->OpenDocument());
    EXPECT_TRUE(view->QuerySave()) << "not modified: no question";
    EXPECT_TRUE(messages.shown.empty());

    document.takeRead(Defaults());
    messages.answer = c.answer;
    EXPECT_EQ(view->QuerySave(), c.result);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text(720).replace("%s", text(703)));
    EXPECT_EQ(messages.shown[0].title, text(1));
    EXPECT_EQ(messages.shown[0].style.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(messages.shown[0].style.icon, MessageIcon::Question);
    EXPECT_EQ(saveRequests, c.answer == ResultYes ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, SaveQuestion,
                         ::testing::Values(QuestionCase{"No", ResultNo, false, true},
                                           QuestionCase{"Cancel", ResultCancel, false, false},
                                           QuestionCase{"YesSaved", ResultYes, true, true},
                                           QuestionCase{"YesNotSaved", ResultYes, false, false},
                                           QuestionCase{"NoAnswer", NoResult, false, false}),
                         [](const ::testing::TestParamInfo<QuestionCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ConfigViewTest, SaveQuestionNamesTheFile) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("named.dat"));
    ASSERT_TRUE(view->OpenDocument());
    ASSERT_TRUE(view->SaveDocument(path));
    openOn(Defaults(), 0);
    ASSERT_TRUE(view->OpenDocument(path));
    ASSERT_TRUE(showPage(23));
    control<QAbstractButton>("ctl1010")->click();
    messages.answer = ResultNo;
    EXPECT_TRUE(view->QuerySave()) << "collects the page, which changes the document";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text(720).replace("%s", path));

    // A read over the file's document: the question says the file would be replaced.
    document.takeRead(Defaults());
    EXPECT_TRUE(view->QuerySave());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, text(722).replace("%s", path));
}

TEST_F(ConfigViewTest, CloseEmptiesTheDocumentButKeepsTheRecord) {
    ConverterConfig kept = Defaults();
    kept.bytes[reserved] = 7;
    openOn(kept, 21);
    ASSERT_TRUE(view->CloseDocument());
    EXPECT_EQ(document.documentFlags(), ConfigDocument::EmptyFlag);
    EXPECT_EQ(view->currentPage(), -1);
    EXPECT_EQ(view->tree()->topLevelItemCount(), 0);
    EXPECT_TRUE(control<QLabel>("ctl1003")->text().isEmpty());
    EXPECT_EQ(record.bytes[reserved], 7);
}

TEST_F(ConfigViewTest, ConfigurationFromTheConverterIntoAnEmptyView) {
    ASSERT_TRUE(view->OpenDocument());
    ASSERT_TRUE(view->CloseDocument());
    ConverterConfig received = Defaults();
    received.bytes[p11Count] = 17;
    received.bytes[reserved] = 0xAB;
    document.takeRead(received);
    EXPECT_EQ(record.bytes, received.bytes);
    EXPECT_EQ(document.documentFlags(), ConfigDocument::Modified);
    EXPECT_TRUE(document.filePath().isEmpty());
    EXPECT_EQ(view->currentPage(), 0);
    ASSERT_TRUE(showPage(11));
    EXPECT_EQ(control<QLineEdit>("ctl1007")->text(), "17");
}

TEST_F(ConfigViewTest, ConfigurationFromTheConverterReplacesTheShownPage) {
    openOn(Defaults(), 11);
    control<QLineEdit>("ctl1007")->setText("5"); // dropped: the page is not collected
    ConverterConfig received = Defaults();
    received.bytes[p11Count] = 9;
    document.takeRead(received);
    EXPECT_EQ(view->currentPage(), 0);
    EXPECT_EQ(view->tree()->currentItem(), item(0));
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(record.bytes, received.bytes);
    ASSERT_TRUE(showPage(11));
    EXPECT_EQ(control<QLineEdit>("ctl1007")->text(), "9");

    // On page 0 it is built again.
    ASSERT_TRUE(showPage(0));
    document.takeRead(Defaults());
    EXPECT_EQ(view->currentPage(), 0);
    EXPECT_NE(view->page(), nullptr);
}

TEST_F(ConfigViewTest, LanguageSwitchRetranslatesTheOpenPage) {
    ConverterConfig r = Defaults();
    r.bytes[p12ListIndex] = 3;
    openOn(r, 12);
    auto* list = control<QComboBox>("ctl1001");
    EXPECT_EQ(list->currentText(), text(954));
    EXPECT_EQ(control<QAbstractButton>("ctl1013")->text(), text(921));
    const QString englishCaption = item(12)->text(0);

    ASSERT_TRUE(language.Load(2));
    ASSERT_NE(text(921), QString()) << "German texts";
    view->RetranslateView();
    EXPECT_EQ(control<QAbstractButton>("ctl1013")->text(), text(921));
    EXPECT_EQ(control<QLabel>("lbl940")->text(), text(940));
    EXPECT_EQ(item(12)->text(0), text(615));
    EXPECT_NE(item(12)->text(0), englishCaption);
    EXPECT_EQ(list->currentText(), text(954)) << "keeps the selected entry";
    EXPECT_EQ(list->count(), 9);
    EXPECT_NE(view->findChild<QLabel*>()->text().indexOf(text(602)), -1);
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes, r.bytes);

    ASSERT_TRUE(showPage(11));
    EXPECT_EQ(control<QComboBox>("ctl1001")->itemText(1), text(806));
    ASSERT_TRUE(showPage(41));
    EXPECT_EQ(control<QLabel>("ctl1033")->text(), text(1303));
    ASSERT_TRUE(showPage(2));
    ASSERT_TRUE(language.Load(1));
    view->RetranslateView();
    EXPECT_EQ(control<QLabel>("ctl1003")->text(), text(621).left(259));
}

TEST_F(ConfigViewTest, SplitterWidths) {
    struct WidthCase {
        int requested;
        int expected; // for a splitter of `total` pixels
    };
    view->show();
    auto* splitter = view->findChild<QSplitter*>();
    ASSERT_NE(splitter, nullptr);
    const int total = splitter->width() - splitter->handleWidth();
    // Narrower than the page names need: as wide as they need.
    const int names = view->fittingTreeWidth();
    ASSERT_GT(names, 64);
    ASSERT_LT(names, 240);
    for (const WidthCase& c :
         {WidthCase{0, 240}, WidthCase{300, 300}, WidthCase{-1, total / 2}, WidthCase{10, names},
          WidthCase{names - 1, names}, WidthCase{5000, total - 64}}) {
        view->SetSplitterPosition(c.requested);
        EXPECT_EQ(view->SplitterPosition(), c.expected) << c.requested;
    }
    // The tree keeps its width when the view grows or shrinks.
    view->SetSplitterPosition(250);
    view->resize(1200, 700);
    EXPECT_EQ(view->SplitterPosition(), 250);
    view->resize(700, 500);
    EXPECT_EQ(view->SplitterPosition(), 250);
    // A pane the user drags narrower than the names stays so.
    splitter->setSizes({100, total - 100});
    view->resize(800, 500);
    EXPECT_EQ(view->SplitterPosition(), 100);
}

TEST_F(ConfigViewTest, HalfWidthIsTakenOnceTheViewHasItsSize) {
    ConfigDocument otherDocument;
    ConfigView other(otherDocument, language);
    ASSERT_TRUE(other.CreateView(nullptr, ConfigView::HalfTreeWidth));
    EXPECT_FALSE(other.CreateView(nullptr, 0));
    EXPECT_EQ(other.SplitterPosition(), ConfigView::HalfTreeWidth);
    other.resize(600, 400);
    other.show();
    auto* splitter = other.findChild<QSplitter*>();
    EXPECT_EQ(other.SplitterPosition(), (splitter->width() - splitter->handleWidth()) / 2);
}

TEST_F(ConfigViewTest, TabCyclesThroughTheControlsOfAnEditedPage) {
    openOn(Defaults(), 23);
    view->show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QWidget* toggle = control("ctl1010");
    control<QAbstractButton>("ctl1010")->click();
    QWidget* edit = control("ctl1000");
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    toggle->setFocus();
    EXPECT_TRUE(view->FilterMessage(toggle, &tab));
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_TRUE(view->FilterMessage(edit, &tab));
    EXPECT_EQ(QApplication::focusWidget(), toggle) << "wraps within the page";
    EXPECT_TRUE(view->FilterMessage(toggle, &back));
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_FALSE(view->FilterMessage(edit, &letter));
    EXPECT_FALSE(view->FilterMessage(view->tree(), &tab)) << "not inside the page";

    ASSERT_TRUE(showPage(41));
    EXPECT_FALSE(view->FilterMessage(control("ctl1003"), &tab));
    ASSERT_TRUE(showPage(2));
    EXPECT_FALSE(view->FilterMessage(control("ctl1003"), &tab));
}

TEST_F(ConfigViewTest, PaneCommandsMoveTheFocusBetweenTreeAndPage) {
    openOn(Defaults(), 21);
    view->show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    view->tree()->setFocus();
    ASSERT_TRUE(view->tree()->hasFocus());
    view->NextPane();
    EXPECT_TRUE(view->page()->isAncestorOf(QApplication::focusWidget()));
    view->PreviousPane();
    EXPECT_TRUE(view->tree()->hasFocus());
    // Text pages take no part.
    ASSERT_TRUE(showPage(2));
    view->tree()->setFocus();
    view->NextPane();
    EXPECT_TRUE(view->tree()->hasFocus());
}

TEST_F(ConfigViewTest, PageOutsideTheTableShowsNothing) {
    ASSERT_TRUE(view->OpenDocument());
    QTreeWidgetItem* odd = new QTreeWidgetItem(item(0));
    odd->setData(0, Qt::UserRole, 3);
    view->tree()->setCurrentItem(odd);
    EXPECT_EQ(view->currentPage(), 3);
    EXPECT_EQ(view->page(), nullptr);
    EXPECT_TRUE(view->CollectPage());
    ASSERT_TRUE(showPage(22));
}

} // namespace
