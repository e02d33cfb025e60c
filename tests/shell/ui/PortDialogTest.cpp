#include "shell/ui/PortDialog.h"

#include "language/TextIds.h"

#include "UiTestSupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vandrel;
using namespace vandrel::test;

namespace {

const std::vector<PortEntry> kPorts = {
    {"/dev/ttyS0", ""},
    {"/dev/ttyUSB0", "FTDI, FT232R USB UART, A50285BI"},
    {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
     "FTDI, FT232R USB UART, A50285BI"},
};

struct PortFixture {
    ShippedTexts texts;
    std::unique_ptr<PortDialog> dialog;

    PortFixture(const QString& current, const std::vector<PortEntry>& ports) {
        dialog =
            std::make_unique<PortDialog>(current, texts.lm, nullptr, [ports] { return ports; });
    }
    QComboBox* list() { return dialog->findChild<QComboBox*>("ctl1001"); }
    void ok() { dialog->findChild<QPushButton*>("ctl1")->click(); }
};

TEST(PortDialog, ListsThePortsAndKeepsAConfiguredName) {
    struct Case {
        const char* name;
        std::vector<PortEntry> ports;
        QString current;
        int selected;
        QString edit;
    };
    const Case cases[] = {
        {"nothing configured: the first port", kPorts, "", 0, "/dev/ttyS0"},
        {"the configured port selected", kPorts, "/dev/ttyUSB0", 1, "/dev/ttyUSB0"},
        {"a stable name selected", kPorts, kPorts[2].name, 2, kPorts[2].name},
        {"a name outside the list kept in the field", kPorts, "COM300", -1, "COM300"},
        {"no ports", {}, "", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortFixture f(c.current, c.ports);
        EXPECT_EQ(f.dialog->windowTitle(), f.texts.text(text::PortDialogTitle));
        ASSERT_EQ(f.list()->count(), static_cast<int>(c.ports.size()));
        EXPECT_EQ(f.list()->currentIndex(), c.selected);
        EXPECT_EQ(f.list()->currentText(), c.edit);
        if (!c.edit.isEmpty()) {
            f.ok();
            EXPECT_EQ(f.dialog->result(), QDialog::Accepted);
            EXPECT_EQ(f.dialog->portName(), c.edit);
        }
    }
}

TEST(PortDialog, ShowsEachPortsDeviceBesideItsName) {
    PortFixture f("", kPorts);
    const QAbstractItemModel* model = f.list()->model();
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->index(1, 0).data().toString(), "/dev/ttyUSB0");
    EXPECT_EQ(model->index(1, 1).data().toString(), "FTDI, FT232R USB UART, A50285BI");
    EXPECT_EQ(model->index(0, 1).data().toString(), "");
    f.list()->setCurrentIndex(1);
    EXPECT_EQ(f.list()->currentText(), "/dev/ttyUSB0") << "the field shows the name alone";
    saveScreenshot(*f.dialog, "PortDialog");
    f.list()->showPopup();
    QCoreApplication::processEvents();
    QWidget* popup = f.list()->view()->window();
    const QString folder = QStringLiteral(VANDREL_BINARY_DIR "/screenshots");
    EXPECT_TRUE(popup->grab().save(folder + "/PortDialogList.png"));
    f.list()->hidePopup();
}

TEST(PortDialog, EmptyFieldCannotBeConfirmedAndCancelChangesNothing) {
    PortFixture f("", {});
    f.dialog->show();
    f.ok();
    EXPECT_TRUE(f.dialog->isVisible()) << "stays open";
    QTest::keyClicks(f.list()->lineEdit(), "ttyACM0");
    f.ok();
    EXPECT_EQ(f.dialog->result(), QDialog::Accepted);
    EXPECT_EQ(f.dialog->portName(), "ttyACM0");

    PortFixture cancelled("/dev/ttyUSB0", kPorts);
    cancelled.dialog->findChild<QPushButton*>("ctl2")->click();
    EXPECT_EQ(cancelled.dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(cancelled.dialog->portName().isEmpty());
}

TEST(PortEntries, DescriptionLeavesOutWhatIsUnknown) {
    EXPECT_EQ(portDescription("FTDI", "FT232R", "A5"), "FTDI, FT232R, A5");
    EXPECT_EQ(portDescription("", "USB Serial", " "), "USB Serial");
    EXPECT_EQ(portDescription("", "", ""), "");
}

} // namespace
