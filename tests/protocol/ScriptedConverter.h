#pragma once

#include "SessionRig.h"

#include "protocol/FieldTags.h"
#include "protocol/FieldValues.h"

#include <algorithm>
#include <map>

// A converter double for engine tests: answers each request after `delayMs` on the rig's clock,
// from a small memory (configuration image in wire order, FLASH image, received firmware).
// `silentPerStep` drops the first k copies of each distinct request frame, so a re-sent step is
// answered only from its (k+1)-th send on.
class ScriptedConverter {
public:
    explicit ScriptedConverter(rig::SessionRig& r) : rig_(r) {
        rig_.channel.onSent = [this](const vandrel::ProtocolFrame& f) { onRequest(f); };
    }

    int delayMs = 10;
    int silentPerStep = 0;
    // Which steps stay silent for `silentPerStep` copies; all when unset.
    std::function<bool(const vandrel::ProtocolFrame&)> silenceStep;
    bool silent = false;
    // A custom answer wins over the built-in ones; return null to fall back to them.
    std::function<vandrel::FramePtr(const vandrel::ProtocolFrame&)> custom;

    rig::Bytes configMemory = rig::Bytes(640);  // as on the wire
    rig::Bytes flashImage;                      // served to FLASH downloading
    std::map<std::uint32_t, rig::Bytes> chunks; // firmware received, by offset
    bool includeBlockAddress = true;
    // After answering a reset the converter restarts: its application code announces itself.
    bool restartsAfterReset = true;

    int answered = 0;

    // The firmware as received: chunks laid end to end.
    rig::Bytes firmware() const {
        rig::Bytes out;
        for (const auto& [offset, data] : chunks) {
            if (out.size() < offset + data.size()) {
                out.resize(offset + data.size(), 0xFF);
            }
            std::copy(data.begin(), data.end(), out.begin() + offset);
        }
        return out;
    }

private:
    void onRequest(const vandrel::ProtocolFrame& request) {
        const rig::Bytes key = rig::frameBytes(request);
        if (key != lastStep_) {
            lastStep_ = key;
            copiesOfStep_ = 0;
        }
        ++copiesOfStep_;
        const bool chosen = !silenceStep || silenceStep(request);
        if (silent || (chosen && copiesOfStep_ <= silentPerStep)) {
            return;
        }
        vandrel::FramePtr answer = custom ? custom(request) : nullptr;
        if (!answer) {
            answer = builtIn(request);
        }
        if (!answer) {
            return;
        }
        const bool restarts = restartsAfterReset && has(request, vandrel::tag::Reset);
        auto shared = std::make_shared<vandrel::FramePtr>(std::move(answer));
        rig_.clock.after(delayMs, [this, shared] {
            ++answered;
            rig_.deliver(std::move(*shared));
        });
        if (restarts) {
            rig_.clock.after(delayMs + 100, [this] {
                rig_.deliver(
                    rig::makeFrame(vandrel::kFrameTypeEvent, {{vandrel::tag::RestartCode, {1}}}));
            });
        }
    }

    static bool has(const vandrel::ProtocolFrame& f, std::uint8_t t) {
        return vandrel::frameFindField(f, t).has_value();
    }

    vandrel::FramePtr builtIn(const vandrel::ProtocolFrame& request) {
        using namespace vandrel;
        using rig::makeFrame;
        const std::uint8_t A2 = kFrameTypePositive;
        for (std::uint8_t simple :
             {tag::MonitorOn, tag::MonitorOff, tag::MonitorText, tag::NewPassword, tag::Reset,
              tag::FlashStart, tag::FlashStop, tag::FlashCancel}) {
            if (has(request, simple)) {
                return makeFrame(A2, {{simple, {}}});
            }
        }
        if (has(request, tag::SystemInfo)) {
            return makeFrame(A2, {{tag::SystemInfo, {'F', 'W', '2'}},
                                  {tag::LoaderVersion, {'L', '1'}},
                                  {tag::Partition, {1}}});
        }
        if (has(request, tag::FlashReadStart)) {
            const std::uint32_t size = static_cast<std::uint32_t>(flashImage.size()) - 128;
            return makeFrame(
                A2, {{tag::FlashReadStart,
                      {std::uint8_t(size >> 16), std::uint8_t(size >> 8), std::uint8_t(size)}}});
        }
        const auto address = frameFindField(request, tag::Address);
        const std::uint32_t at = address ? fieldAddress24(*address) : 0;
        if (has(request, tag::ConfigWrite)) {
            const auto data = frameFindField(request, tag::ConfigWrite);
            std::copy(data->value.begin(), data->value.end(),
                      configMemory.begin() + (at - 0x38000));
            return makeFrame(A2, {{tag::ConfigWrite, {}}});
        }
        if (has(request, tag::Read) && at >= 0x38000) {
            const auto begin = configMemory.begin() + (at - 0x38000);
            return makeFrame(A2, {{tag::Read, rig::Bytes(begin, begin + 128)}});
        }
        if (has(request, tag::Read)) {
            rig::Bytes block(flashImage.begin() + at, flashImage.begin() + at + 128);
            if (std::all_of(block.begin(), block.end(), [&](auto b) { return b == block[0]; })) {
                block.resize(1);
            }
            if (!includeBlockAddress) {
                return makeFrame(A2, {{tag::Read, block}});
            }
            return makeFrame(
                A2, {{tag::Read, block},
                     {tag::Address, rig::Bytes(address->value.begin(), address->value.end())}});
        }
        if (has(request, tag::FlashData)) {
            const auto data = frameFindField(request, tag::FlashData);
            const auto offset = frameFindField(request, tag::FlashOffset);
            const std::uint32_t o = fieldAddress24(*offset);
            chunks[o] = data->value.size() == 1
                            ? rig::Bytes(128, data->value[0])
                            : rig::Bytes(data->value.begin(), data->value.end());
            return makeFrame(
                A2, {{tag::FlashOffset, rig::Bytes(offset->value.begin(), offset->value.end())}});
        }
        return nullptr;
    }

    rig::SessionRig& rig_;
    rig::Bytes lastStep_;
    int copiesOfStep_ = 0;
};
