// The mouse wheel and the Tab key on the pages, delivered as the window system delivers them.
#include "ViewTestSupport.h"

#include <QComboBox>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

using namespace vandrel;
using namespace vandrel::test;
using namespace vandrel::ConfigOffset;

namespace {

// One notch of the wheel over the middle of `target`, up (+1) or down (-1). Spontaneous like a
// real one, so that a turn the target ignores goes on to the widgets behind it.
void turnWheel(QWidget* target, int notches) {
    const QPointF pos = QRectF(target->rect()).center();
    QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(target, &event);
}

class ShownView : public ViewTest {
protected:
    void showView(int width, int height) {
        view->resize(width, height);
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }
};

struct WheelCase {
    int page;
    std::uint8_t listByte; // what the list shows
    int notches;           // a turn towards the list's other entries
};

void PrintTo(const WheelCase& c, std::ostream* out) {
    *out << "page " << c.page;
}

class PageWheel : public ShownView, public ::testing::WithParamInterface<WheelCase> {};

TEST_P(PageWheel, ListTakesTheWheelOnlyWithTheFocus) {
    const WheelCase& c = GetParam();
    ConverterConfig r = Defaults();
    r.bytes[c.page == 11 ? p11Select : p12ListIndex] = c.listByte;
    openOn(r, c.page);
    // Low enough that the page has to be scrolled.
    showView(700, 260);
    auto* area = view->findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    QScrollBar* bar = area->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    auto* list = control<QComboBox>("ctl1001");
    const int entry = list->currentIndex();
    ASSERT_GE(entry, 0);

    // Scrolled to the end the turn comes from, with the list under the pointer.
    bar->setValue(c.notches > 0 ? bar->maximum() : bar->minimum());
    ASSERT_FALSE(list->visibleRegion().isEmpty());
    view->tree()->setFocus();
    const int position = bar->value();
    turnWheel(list, c.notches);
    EXPECT_EQ(list->currentIndex(), entry);
    EXPECT_FALSE(list->hasFocus()) << "the wheel does not give the list the focus";
    if (c.notches > 0) {
        EXPECT_LT(bar->value(), position) << "the page scrolls up instead";
    } else {
        EXPECT_GT(bar->value(), position) << "the page scrolls down instead";
    }
    ASSERT_TRUE(view->CollectPage());
    EXPECT_FALSE(document.isModified()) << Differences(record, r);

    // With the focus the wheel is the list's.
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    turnWheel(list, c.notches);
    EXPECT_EQ(list->currentIndex(), entry - c.notches);
    ASSERT_TRUE(view->CollectPage());
    EXPECT_TRUE(document.isModified());
}

INSTANTIATE_TEST_SUITE_P(Lists, PageWheel,
                         ::testing::Values(
                             // The first control: the user scrolls down past it.
                             WheelCase{11, 0x00, -1},
                             // The last control: it comes under the pointer scrolling up.
                             WheelCase{12, 5, +1}),
                         [](const ::testing::TestParamInfo<WheelCase>& info) {
                             return "Page" + std::to_string(info.param.page);
                         });

// Hands key presses to the view's page keyboard handling, as the main window does.
class PageKeys : public QObject {
public:
    explicit PageKeys(ConfigView& view) : view_(view) { qApp->installEventFilter(this); }
    ~PageKeys() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return event->type() == QEvent::KeyPress && view_.FilterMessage(watched, event);
    }

private:
    ConfigView& view_;
};

class PageTabStops : public ShownView, public ::testing::WithParamInterface<bool> {
protected:
    // The controls Tab reaches from `first` until it comes back to it.
    std::vector<QString> tabRound(QWidget* first) {
        first->setFocus();
        std::vector<QString> stops{first->objectName()};
        for (int press = 0; press < 40; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            if (now == first) {
                return stops;
            }
            if (now != nullptr && view->page()->isAncestorOf(now)) {
                stops.push_back(now->objectName());
            }
        }
        ADD_FAILURE() << "Tab never came back";
        return stops;
    }
};

// Through the main window's handling of the page (true) and the toolkit's own focus chain.
TEST_P(PageTabStops, EachRadioGroupIsOneStop) {
    ConverterConfig r = Defaults();
    r.bytes[p11Select] = 0x01;  // the number is editable
    r.bytes[p11Options] = 0x02; // 1011 and 1057
    r.bytes[p11Choice] = 3;     // 1023
    openOn(r, 11);
    showView(900, 700);
    std::optional<PageKeys> keys;
    if (GetParam()) {
        keys.emplace(*view);
    }
    QWidget* list = control("ctl1001");
    EXPECT_EQ(tabRound(list), (std::vector<QString>{"ctl1001", "ctl1000", "ctl1011", "ctl1057",
                                                    "ctl1023", "ctl1007"}));

    // The arrow keys move within a group and take the check along.
    auto* first = control<QRadioButton>("ctl1011");
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), control("ctl1012"));
    EXPECT_TRUE(control<QRadioButton>("ctl1012")->isChecked());
    EXPECT_EQ(tabRound(list), (std::vector<QString>{"ctl1001", "ctl1000", "ctl1012", "ctl1057",
                                                    "ctl1023", "ctl1007"}));
    ASSERT_TRUE(view->CollectPage());
    EXPECT_EQ(record.bytes[p11Options], 0x03);
}

INSTANTIATE_TEST_SUITE_P(Page11, PageTabStops, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "MainWindowKeys" : "ToolkitFocusChain";
                         });

} // namespace
