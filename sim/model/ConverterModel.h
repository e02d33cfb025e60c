#pragma once

#include "protocol/ProtocolFrame.h"
#include "sim/model/ConfigStore.h"
#include "sim/model/FaultSettings.h"
#include "sim/model/FlashStore.h"
#include "sim/model/ModelScheduler.h"
#include "sim/model/RequestKind.h"
#include "sim/model/WireLink.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A stand-in for the converter: a byte-stream device that answers the utility's requests, sends
// its restart events and monitor text, and keeps a configuration, an access password and a FLASH
// image. It has no clock of its own: time moves only through advance(), so it runs the same in a
// test as behind a pseudo-terminal.
namespace vandrel::sim {

using namespace std::chrono_literals;

// Negative answer statuses of the stand-in.
namespace status {
inline constexpr std::uint8_t NotNow = 0x01;        // unknown request, or not in the loader
inline constexpr std::uint8_t BadValue = 0x02;      // bad address, data or length
inline constexpr std::uint8_t OutOfSequence = 0x03; // FLASH chunk or stop without a start
inline constexpr std::uint8_t AccessDenied = 0x9E;
inline constexpr std::uint8_t WaitingForFirmware = 0x9F; // in the "Restart loader" event
} // namespace status

// Restart codes carried by the restart events.
namespace restart_code {
inline constexpr std::uint8_t Requested = 0x01;    // after a reset request
inline constexpr std::uint8_t AfterLoading = 0x02; // after new firmware was loaded
inline constexpr std::uint8_t PowerOn = 0x03;
inline constexpr std::uint8_t Unexpected = 0x04; // a restart fault struck under a request
} // namespace restart_code

struct ModelSettings {
    std::string firmwareVersion = "2.14.0612";
    std::string loaderVersion = "1.05";
    std::uint8_t partition = 1;
    ConfigImage config = ConfigStore::factoryImage();
    std::vector<std::uint8_t> flash = FlashStore::makeFirmwareImage(16 * 1024, "2.14.0612");
    bool firmwareMissing = false;   // the loader waits for firmware after every restart
    bool echoConfigAddress = false; // configuration answers name their packet's address (0x46)

    SimTime loaderDelay = 100ms;      // restart → "Restart loader"
    SimTime codeDelay = 200ms;        // loader acknowledged → "Restart code"
    SimTime eventRepeat = 2000ms;     // an unacknowledged restart event goes out again
    unsigned eventSends = 4;          // after that many sends the converter goes on regardless
    SimTime programmingTime = 5000ms; // FLASH loading stopped → restart with the new firmware
    SimTime monitorPeriod = 1000ms;   // monitor text while monitoring is on
};

class ConverterModel {
public:
    using OutputHandler = WireLink::OutputHandler;

    explicit ConverterModel(ModelSettings settings = {});
    ConverterModel(const ConverterModel&) = delete;
    ConverterModel& operator=(const ConverterModel&) = delete;

    // The utility's side of the line.
    void setOutputHandler(OutputHandler handler) { link_.setOutputHandler(std::move(handler)); }
    void receiveBytes(std::span<const std::uint8_t> bytes) { link_.receiveBytes(bytes); }

    // Time. Nothing happens between calls; everything due runs inside them, in order.
    void advance(SimTime by) { scheduler_.runUntil(scheduler_.now() + by); }
    void advanceTo(SimTime until) { scheduler_.runUntil(until); }
    SimTime now() const { return scheduler_.now(); }
    std::optional<SimTime> nextDue() const { return scheduler_.nextDue(); }

    void setFaults(const FaultSettings& faults);
    const FaultSettings& faults() const { return faults_; }

    // Restarts as after power-on: "Restart loader", then (unless firmware is missing)
    // "Restart code".
    void restart() { beginRestart(restart_code::PowerOn, settings_.loaderDelay); }
    void setFirmwareMissing(bool missing) { firmwareMissing_ = missing; }
    void setPassword(const std::string& password) { config_.setPassword(password); }
    void setFlashImage(std::vector<std::uint8_t> image) { flash_.setImage(std::move(image)); }

    // What the converter holds.
    const ConfigImage& configImage() const { return config_.image(); } // as on the line
    const std::vector<std::uint8_t>& flashImage() const { return flash_.image(); }
    std::string password() const { return config_.password(); }
    const std::string& firmwareVersion() const { return firmwareVersion_; }
    bool firmwareMissing() const { return firmwareMissing_; }
    bool flashLoading() const { return flash_.loading(); }
    bool monitoring() const { return monitorOn_; }
    std::uint8_t monitorMask() const { return monitorMask_; }
    // The application code runs and no restart is under way.
    bool running() const { return phase_ == Phase::Running; }

    // What crossed the line.
    unsigned framesReceived(RequestKind kind) const {
        return received_[static_cast<std::size_t>(kind)];
    }
    unsigned badFramesReceived() const { return badFrames_; }
    const WireLink& link() const { return link_; }

private:
    enum class Phase {
        Running,
        Booting,         // the first restart event is due
        LoaderAnnounced, // waiting for its acknowledgement
        LoaderStarting,  // "Restart code" is due
        CodeAnnounced,   // waiting for its acknowledgement
        InLoader,        // the loader stays: it waits for firmware, or FLASH is being loaded
    };
    struct Field {
        std::uint8_t tag;
        std::span<const std::uint8_t> value;
    };

    void onFrame(const ProtocolFrame& frame);
    void handle(RequestKind kind, const ProtocolFrame& frame);
    void answer(RequestKind kind, const ProtocolFrame& frame);
    bool answersLate(RequestKind kind) const;
    // How the converter restarts instead of answering this request, if a restart fault strikes.
    std::optional<RestartHow> restartStrikes(RequestKind kind) const;
    // A lasting failure has begun for this kind: the refusal is sent, or nothing; true then.
    bool failing(RequestKind kind);
    bool refused(RequestKind kind);
    bool passwordAccepted(const ProtocolFrame& frame) const;

    void handleReset();
    void handleSystemInfo();
    void handleConfigRead(const ProtocolFrame& frame);
    void handleConfigWrite(const ProtocolFrame& frame);
    void handleFlashStart();
    void handleFlashChunk(const ProtocolFrame& frame);
    void handleFlashStop();
    void handleFlashCancel();
    void handleFlashReadStart();
    void handleFlashRead(const ProtocolFrame& frame);
    void handleMonitor(bool on);
    void handleMonitorCommand(const ProtocolFrame& frame);
    void handlePasswordChange(const ProtocolFrame& frame);

    void beginRestart(std::uint8_t code, SimTime delay, RestartHow how = RestartHow::Loader);
    void announceLoader();
    void onLoaderAck(const ProtocolFrame& frame);
    void startCode();
    void announceCode();
    void onCodeAck(const ProtocolFrame& frame);
    void enterPhase(Phase phase);
    void scheduleMonitorText();

    void send(std::uint8_t type, std::initializer_list<Field> fields);
    void sendStatus(std::uint8_t status);

    ModelSettings settings_;
    ModelScheduler scheduler_;
    WireLink link_;
    FaultSettings faults_;
    std::vector<unsigned> refusalsLeft_;
    ConfigStore config_;
    FlashStore flash_;

    std::string firmwareVersion_;
    bool firmwareMissing_;
    Phase phase_ = Phase::Running;
    std::uint64_t phaseToken_ = 0; // guards the events scheduled for a phase
    std::uint8_t restartCode_ = 0;
    bool loaderWaits_ = false; // the loader of this restart waits for firmware
    unsigned eventSendsLeft_ = 0;
    bool loadingCompleted_ = false; // the last loading was stopped (a repeated stop is answered)

    bool monitorOn_ = false;
    std::uint8_t monitorMask_ = 0;
    std::uint64_t monitorToken_ = 0;
    unsigned monitorLines_ = 0;

    std::array<unsigned, kRequestKindCount> received_{};
    unsigned badFrames_ = 0;

    // Answers held back by a late-answer fault, per request kind; while a request is being
    // answered late, its frames go here instead of onto the line.
    std::array<std::vector<ProtocolFrame>, kRequestKindCount> withheld_;
    std::vector<ProtocolFrame>* holdBack_ = nullptr;
};

} // namespace vandrel::sim
