// Pictures of every page for review; nothing is compared.
#include "ViewTestSupport.h"

#include <QDir>
#include <QPixmap>

using namespace vandrel;
using namespace vandrel::test;

namespace {

class PageScreenshot : public ViewTest, public ::testing::WithParamInterface<int> {};

TEST_P(PageScreenshot, WritesThePicture) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(VANDREL_SCREENSHOT_DIR)));
    ASSERT_TRUE(view->OpenDocument());
    view->resize(760, 560);
    view->show();
    ASSERT_TRUE(showPage(GetParam()));
    QApplication::processEvents();
    const QString file = QStringLiteral(VANDREL_SCREENSHOT_DIR "/page%1.png").arg(GetParam());
    EXPECT_TRUE(view->grab().save(file));
    // The whole page as well, for those taller than the view.
    EXPECT_TRUE(view->page()->grab().save(
        QStringLiteral(VANDREL_SCREENSHOT_DIR "/page%1-full.png").arg(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(AllPages, PageScreenshot,
                         ::testing::Values(0, 1, 11, 12, 2, 21, 22, 23, 24, 4, 41),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Page" + std::to_string(info.param);
                         });

} // namespace
