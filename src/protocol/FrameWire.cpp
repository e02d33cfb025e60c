#include "protocol/FrameWire.h"

namespace vandrel {
namespace {

// Calls put(byte) for the one or two wire bytes of a frame byte.
template <typename Put> void stuffByte(std::uint8_t b, Put&& put) {
    switch (b) {
    case kStartFlag:
        put(kEscape);
        put(0x01);
        break;
    case kEndFlag:
        put(kEscape);
        put(0x10);
        break;
    case kEscape:
        put(kEscape);
        put(kEscape);
        break;
    default:
        put(b);
    }
}

} // namespace

void frameStuff(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out) {
    out.reserve(out.size() + frame.size() * 2 + 2);
    out.push_back(kStartFlag);
    for (std::uint8_t b : frame) {
        stuffByte(b, [&out](std::uint8_t w) { out.push_back(w); });
    }
    out.push_back(kEndFlag);
}

std::vector<std::uint8_t> frameStuff(std::span<const std::uint8_t> frame) {
    std::vector<std::uint8_t> out;
    frameStuff(frame, out);
    return out;
}

std::vector<WirePiece> frameWirePieces(std::span<const std::uint8_t> frame) {
    std::vector<WirePiece> pieces;
    pieces.reserve(frame.size() * 2 / kWirePieceThreshold + 2);
    WirePiece staging;
    auto put = [&staging](std::uint8_t w) { staging.bytes[staging.size++] = w; };
    put(kStartFlag);
    for (std::uint8_t b : frame) {
        stuffByte(b, put);
        if (staging.size >= kWirePieceThreshold) {
            pieces.push_back(staging);
            staging.size = 0;
        }
    }
    put(kEndFlag);
    pieces.push_back(staging);
    return pieces;
}

} // namespace vandrel
