#pragma once

#include "cli/DeviceCommand.h"
#include "protocol/SessionInterfaces.h"

#include <QByteArray>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;

namespace vandrel {

// monitor: the converter's system monitoring on stdout, command lines from stdin. It is the
// session's monitor pane: the converter's text goes to stdout, and when monitoring comes on the
// mask goes out as the command V=HH.
class MonitorCommand final : public DeviceCommand, public MonitorPane {
public:
    // The longest command line: with CR LF it fills the 127 characters of a monitor command.
    static constexpr std::size_t kMaxLine = 125;

    // The device it runs on forgets it as its pane when the device ends.
    MonitorCommand(std::uint8_t mask, std::optional<double> seconds);
    ~MonitorCommand() override;

    void begin(CliDevice& device) override;
    bool onEnded(CliDevice& device, const OperationResult& result) override;
    void interrupt(CliDevice& device) override;

    // MonitorPane.
    void setMonitoring(bool on) override;
    void appendMonitorText(std::span<const std::uint8_t> text) override;

private:
    void readInput();
    void stop();
    // Sends what is due next, once no monitoring request is outstanding.
    void pump();

    std::uint8_t mask_;
    std::optional<double> seconds_;
    CliDevice* device_ = nullptr;

    bool on_ = false;
    bool stopping_ = false;
    bool offSent_ = false;
    bool failed_ = false;
    bool maskDue_ = false; // monitoring came on: the mask goes out first

    std::unique_ptr<QSocketNotifier> input_;
    QByteArray partialLine_;
    std::deque<std::string> lines_;
    bool inputEnded_ = false;
    QTimer deadline_;
};

} // namespace vandrel
