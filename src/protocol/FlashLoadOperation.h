#pragma once

#include "protocol/DeviceOperation.h"

#include <cstdint>
#include <string>

// Loads a firmware file into the converter's FLASH: the start (which the converter may take
// across a restart into its loader), the file in 128-byte chunks, the stop; or the cancel.
//
// Only a file the host has chosen, checked and had confirmed is ever sent. A loading the
// converter's loader asks for (status 0x9F) starts without one and sends no chunk until the host
// supplies it. A loader that restarts into "waits for firmware" in the middle of the chunks gets
// the same loading again from the first chunk, at most twice.
namespace vandrel {

class FlashLoadOperation : public DeviceOperation {
public:
    static constexpr int kMaxReloads = 2;

    // `confirmedPath` empty: the loading the converter's loader asked for; the file follows.
    FlashLoadOperation(OperationContext& context, std::string confirmedPath);

    enum class Step { Start, Chunk, Stop, Cancel, AwaitingFile };

    SessionState state() const override;
    bool prepare() override;
    void begin() override;
    RestartReply onRestart(RestartKind kind) override;
    // The user cancels: the cancel goes to the converter, whose answer ends the loading.
    void cancel() override;

    bool awaitingFile() const { return !hasFile() && step_ != Step::Cancel; }
    // The host's confirmed file for a loading the loader asked for.
    bool supplyFile(const std::string& confirmedPath);
    std::int32_t total() const { return total_; }
    std::int32_t offset() const { return offset_; }
    int percent() const;

private:
    bool hasFile() const { return !path_.empty(); }
    void emitRequest(bool repeat) override;
    int timeoutMs() const override;
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override { nextStep(); }
    bool asksPassword() const override { return step_ == Step::Start; }
    SessionProgress endCode() const override { return SessionProgress::FlashLoadEnded; }
    bool takesRefusalItself(const ProtocolFrame& frame) override;
    void describe(OperationResult& result) const override;

    void onAccepted();
    void onChunkAcknowledged(std::uint32_t address);
    void useFile(const std::string& path);

    std::string path_;
    std::int32_t total_ = 0;
    std::int32_t offset_ = 0; // of the chunk outstanding; `total_` once the stop is sent
    Step step_ = Step::Start;
    bool converterStarted_;
    bool accepted_ = false; // the converter has taken the start
    int reloads_ = 0;
};

} // namespace vandrel
