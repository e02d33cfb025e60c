#pragma once

#include "protocol/ConfigPacketSteps.h"
#include "protocol/DeviceOperation.h"
#include "protocol/ResetSteps.h"

// Writes a configuration in five packets, then resets the converter so that it takes effect and
// waits for it to come back; on request it then reads the configuration back and compares it
// with the one written.
namespace vandrel {

class ConfigWriteOperation : public DeviceOperation {
public:
    // Restarts of the converter that send the read-back back to its start, at most.
    static constexpr int kMaxReadBackRestarts = 3;

    ConfigWriteOperation(OperationContext& context, const ConfigImage& image, bool readBack)
        : DeviceOperation(context, OperationKind::ConfigWrite), writer_(image),
          readBack_(readBack) {}

    enum class Phase { Writing, Resetting, ReadingBack };

    SessionState state() const override;
    void begin() override;
    RestartReply onRestart(RestartKind kind) override;
    void linkLost() override;
    Phase phase() const { return phase_; }
    int packet() const;

private:
    void emitRequest(bool repeat) override;
    int timeoutMs() const override;
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override { nextStep(); }
    bool asksPassword() const override { return true; }
    SessionProgress endCode() const override;
    bool takesRefusalItself(const ProtocolFrame& frame) override;
    void passwordCancelled() override;
    void refusedPastLimit() override;
    void giveUp() override;
    void describe(OperationResult& result) const override;

    bool handlePacketAnswer(const ProtocolFrame& frame);
    bool handleResetAnswer(const ProtocolFrame& frame);
    bool handleReadBackAnswer(const ProtocolFrame& frame);
    // The written configuration is in effect: read it back, or end.
    RestartReply restarted();
    void readBackEnded(Outcome outcome, SessionState idle);

    ConfigPacketWriter writer_;
    ResetSteps reset_;
    ConfigPacketReader reader_;
    bool readBack_;
    Phase phase_ = Phase::Writing;
    ReadBack found_ = ReadBack::NotAsked;
    std::size_t firstDifference_ = 0;
    std::optional<Outcome> readBackOutcome_;
    int readBackRestarts_ = 0;
};

} // namespace vandrel
