// Listing the ports and what the chooser shows.
#include "LinkFixtures.h"
#include "TempDir.h"

#include "link/PortDiscovery.h"
#include "link/PortList.h"
#include "link/SerialChannel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vandrel;

namespace {

QString qpath(const std::string& path) {
    return QString::fromStdString(path);
}

TEST(PortDiscovery, ListsFreeAndHeldPortsOnlyInTheGivenOrder) {
    TempDir dir;
    PtyPair free;
    PtyPair heldElsewhere;
    PtyPair heldByUs;
    // A stable name whose device has gone; a closed pty's own number could be taken again by a
    // test running beside this one.
    const std::string gonePath = dir.file("usb-gone-if00");
    std::filesystem::create_symlink(dir.file("no-such-device"), gonePath);
    std::ofstream(dir.file("plain")) << "x";
    std::filesystem::create_symlink(free.slavePath(), dir.file("usb-free-if00"));

    PortHolderProcess other(heldElsewhere.slavePath());
    ASSERT_TRUE(other.holds());
    SerialChannel channel;
    ASSERT_TRUE(channel.start(qpath(heldByUs.slavePath()), 115200).started());

    const QStringList candidates = {
        qpath(dir.file("usb-free-if00")),
        qpath(free.slavePath()),
        qpath(dir.file("missing")),
        qpath(heldElsewhere.slavePath()),
        qpath(dir.file("plain")),
        qpath(heldByUs.slavePath()),
        qpath(gonePath),
        QStringLiteral("/dev/null"),
    };
    const QStringList expected = {
        qpath(dir.file("usb-free-if00")),
        qpath(free.slavePath()),
        qpath(heldElsewhere.slavePath()),
        qpath(heldByUs.slavePath()),
    };
    EXPECT_EQ(listUsablePorts(candidates), expected);
    // Probing took nothing from the holders.
    EXPECT_TRUE(channel.isOpen());
    EXPECT_EQ(probePort(qpath(heldElsewhere.slavePath())), PortOpenResult::AccessDenied);
}

TEST(PortDiscovery, CandidatesIncludeStableNamesInNaturalOrder) {
    TempDir dir;
    PtyPair a;
    for (const char* name : {"usb-B-if10", "usb-B-if2", "usb-A-if00"}) {
        std::filesystem::create_symlink(a.slavePath(), dir.file(name));
    }
    QStringList all = serialPortCandidates(qpath(dir.path().string()));
    QStringList stable;
    for (const QString& c : all) {
        if (c.startsWith(qpath(dir.path().string()))) {
            stable.append(c);
        }
    }
    const QStringList expected = {qpath(dir.file("usb-A-if00")), qpath(dir.file("usb-B-if2")),
                                  qpath(dir.file("usb-B-if10"))};
    EXPECT_EQ(stable, expected);
    EXPECT_EQ(all.removeDuplicates(), 0);
}

TEST(PortList, SelectionAndEditFieldFollowTheConfiguredName) {
    const QStringList listed = {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1"};
    struct Case {
        QStringList listed;
        QString current;
        int selected;
        QString editText;
    };
    const Case cases[] = {
        {listed, "/dev/ttyUSB0", 1, "/dev/ttyUSB0"},
        {listed, "", 0, "/dev/ttyS0"},
        {{}, "", -1, ""},
        // Not listed (not plugged in, or outside the probed devices): kept in the edit field.
        {listed, "/dev/serial/by-id/usb-converter-if00", -1,
         "/dev/serial/by-id/usb-converter-if00"},
        {{}, "ttyACM3", -1, "ttyACM3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current.toStdString());
        const PortListView view = portListView(c.listed, c.current);
        EXPECT_EQ(view.names, c.listed);
        EXPECT_EQ(view.selected, c.selected);
        EXPECT_EQ(view.editText, c.editText);
    }
}

// A short name, the full device path and a stable name linked to the device are one port.
TEST(PortList, NamesAreComparedByTheDeviceTheyLeadTo) {
    TempDir dir;
    PtyPair pty;
    const QString device = qpath(pty.slavePath());
    const QString stable = qpath(dir.file("usb-converter-if00"));
    std::filesystem::create_symlink(pty.slavePath(), dir.file("usb-converter-if00"));
    PtyPair other;

    EXPECT_TRUE(samePort("null", "/dev/null"));
    EXPECT_TRUE(samePort("/dev/./null", "/dev/null"));
    EXPECT_TRUE(samePort(stable, device));
    EXPECT_FALSE(samePort(stable, qpath(other.slavePath())));
    EXPECT_FALSE(samePort("ttyVANDREL9", "ttyVANDREL8")) << "missing devices: as paths";
    EXPECT_TRUE(samePort("ttyVANDREL9", "/dev/ttyVANDREL9"));
    EXPECT_FALSE(samePort("", "/dev/null"));

    const QStringList listed = {qpath(other.slavePath()), "/dev/null", device};
    EXPECT_EQ(portListView(listed, "null").selected, 1);
    const PortListView byLink = portListView(listed, stable);
    EXPECT_EQ(byLink.selected, 2);
    EXPECT_EQ(byLink.editText, stable) << "the configured name is kept as it was written";
}

TEST(PortList, OnlyANonEmptyNameIsAcceptedAndLongNamesKeep255Characters) {
    EXPECT_FALSE(acceptPortName("").has_value());
    EXPECT_EQ(acceptPortName("ttyUSB0"), QString("ttyUSB0"));
    const QString path = "/dev/serial/by-id/" + QString(237, QChar('x')); // 255 characters
    EXPECT_EQ(acceptPortName(path), path);
    EXPECT_EQ(acceptPortName(path + "yz"), path);
}

} // namespace
