// The uses of the configured port name: start-up, the port command and the link check.
#include "LinkFixtures.h"
#include "TempDir.h"

#include "link/LinkController.h"
#include "link/SerialChannel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace vandrel;

namespace {

QString qpath(const std::string& path) {
    return QString::fromStdString(path);
}

// The window and the settings around the link.
class RecordingHost final : public LinkHost {
public:
    std::optional<QString> answer; // what the chooser returns; none = Cancel
    std::vector<QString> chooserOpenedWith;
    std::vector<QString> stored;
    std::vector<std::pair<QString, PortOpenResult>> failures;

    std::optional<QString> choosePort(const QString& currentName) override {
        chooserOpenedWith.push_back(currentName);
        return answer;
    }
    void storePortName(const QString& name) override { stored.push_back(name); }
    void reportStartFailure(const QString& portName, const ChannelStartResult& result) override {
        failures.emplace_back(portName, result.open);
    }
};

struct Names {
    QString port;    // a free pseudo-terminal
    QString other;   // another free one
    QString missing; // no such device
};

class LinkControllerTest : public ::testing::Test {
protected:
    PtyPair line;
    PtyPair otherLine;
    Names n{qpath(line.slavePath()), qpath(otherLine.slavePath()),
            QStringLiteral("/dev/vandrel-no-such-port")};
    SerialChannel channel;
    RecordingHost host;
    LinkController controller{channel, host};
};

TEST_F(LinkControllerTest, StartUpIsQuiet) {
    EXPECT_FALSE(controller.startUp("", 115200));
    EXPECT_FALSE(controller.startUp(n.missing, 115200));
    EXPECT_TRUE(host.failures.empty());
    EXPECT_TRUE(controller.startUp(n.port, 115200));
    EXPECT_TRUE(channel.isOpen());
    EXPECT_TRUE(host.chooserOpenedWith.empty());
}

TEST_F(LinkControllerTest, LinkCheck) {
    struct Case {
        const char* what;
        bool openBefore;
        QString configured;
        std::optional<QString> answer;
        bool expectedResult;
        bool chooserShown;
        std::optional<QString> expectedStore;
        bool failureReported;
    };
    const Case cases[] = {
        {"open link answers at once", true, n.port, std::nullopt, true, false, std::nullopt, false},
        {"configured port is opened", false, n.port, std::nullopt, true, false, std::nullopt,
         false},
        {"configured port missing", false, n.missing, std::nullopt, false, false, std::nullopt,
         true},
        {"nothing configured, Cancel", false, "", std::nullopt, false, true, std::nullopt, false},
        {"nothing configured, chosen", false, "", n.other, true, true, n.other, false},
        {"nothing configured, chosen missing", false, "", n.missing, false, true, n.missing, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        channel.stop();
        host = RecordingHost{};
        host.answer = c.answer;
        if (c.openBefore) {
            ASSERT_TRUE(channel.start(c.configured, 115200).started());
        }
        EXPECT_EQ(controller.ensureLink(c.configured, 115200), c.expectedResult);
        EXPECT_EQ(channel.isOpen(), c.expectedResult);
        EXPECT_EQ(!host.chooserOpenedWith.empty(), c.chooserShown);
        if (c.chooserShown) {
            EXPECT_EQ(host.chooserOpenedWith.front(), QString());
        }
        EXPECT_EQ(host.stored.empty() ? std::nullopt : std::optional(host.stored.front()),
                  c.expectedStore);
        EXPECT_EQ(host.failures.size(), c.failureReported ? 1u : 0u);
        if (c.failureReported) {
            EXPECT_EQ(host.failures.front().second, PortOpenResult::NotFound);
        }
    }
}

TEST_F(LinkControllerTest, PortCommandRestartsOnlyOnANewName) {
    ASSERT_TRUE(controller.startUp(n.port, 115200));

    host.answer = std::nullopt; // Cancel
    EXPECT_FALSE(controller.choosePortCommand(n.port, 115200));
    host.answer = n.port; // the same name again
    EXPECT_FALSE(controller.choosePortCommand(n.port, 115200));
    // The same device under another name: a stable name linked to it.
    TempDir dir;
    std::filesystem::create_symlink(line.slavePath(), dir.file("usb-converter-if00"));
    host.answer = qpath(dir.file("usb-converter-if00"));
    EXPECT_FALSE(controller.choosePortCommand(n.port, 115200));
    EXPECT_TRUE(host.stored.empty());
    EXPECT_TRUE(channel.isOpen());

    host.answer = n.other;
    EXPECT_TRUE(controller.choosePortCommand(n.port, 115200));
    EXPECT_EQ(host.stored, std::vector<QString>{n.other});
    EXPECT_TRUE(channel.isOpen());
    // The link moved: the old port is free again.
    SerialChannel probe;
    EXPECT_TRUE(probe.start(n.port, 115200).started());

    // A port that cannot be opened is still stored, and the user is told.
    host.answer = n.missing;
    EXPECT_TRUE(controller.choosePortCommand(n.other, 115200));
    EXPECT_EQ(host.stored.back(), n.missing);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures.front().first, n.missing);
    EXPECT_FALSE(channel.isOpen());
}

} // namespace
