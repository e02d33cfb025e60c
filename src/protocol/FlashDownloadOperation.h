#pragma once

#include "config/FileReplace.h"
#include "protocol/DeviceOperation.h"

#include <cstdint>
#include <memory>
#include <string>

// Downloads the converter's FLASH image block by block into a file. The blocks go to a staged
// file beside the target, which replaces the target only when the image is complete: a failed,
// cancelled or interrupted download leaves an existing file as it was.
namespace vandrel {

class FlashDownloadOperation : public DeviceOperation {
public:
    FlashDownloadOperation(OperationContext& context, std::string imagePath)
        : DeviceOperation(context, OperationKind::FlashDownloading), path_(std::move(imagePath)) {}

    SessionState state() const override { return SessionState::Ready; }
    // The image file must be stageable before the link is asked for.
    bool prepare() override;
    // Whether preparing failed for the file (not for the link).
    bool fileRefused() const { return fileRefused_; }
    void begin() override;
    // Nothing goes to the converter: the download just stops.
    void cancel() override;

    bool readingBlocks() const { return readingBlocks_; }
    std::int32_t total() const { return total_; }
    std::int32_t offset() const { return offset_; }
    int percent() const;

private:
    void emitRequest(bool repeat) override;
    int timeoutMs() const override;
    bool handleAnswer(const ProtocolFrame& frame) override;
    void advance() override { nextStep(); }
    bool asksPassword() const override { return !readingBlocks_; }
    SessionProgress endCode() const override { return SessionProgress::FlashReadEnded; }
    void describe(OperationResult& result) const override;
    void release() override { file_.reset(); }

    void onImageSize(const FrameField& size);
    void onImageBlock(const ProtocolFrame& frame, const FrameField& data);
    void fileFailed();

    std::string path_;
    std::unique_ptr<StagedFile> file_;
    bool fileRefused_ = false;
    bool readingBlocks_ = false; // the size is known; blocks are asked for
    std::int32_t total_ = 0;     // known from the converter's size answer
    std::int32_t offset_ = 0;    // of the block outstanding
};

} // namespace vandrel
