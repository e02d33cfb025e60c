#include "protocol/FrameAssembler.h"
#include "protocol/FrameWire.h"
#include "protocol/ProtocolFrame.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace vandrel;

namespace {

// A firmware-chunk-sized request: offset field plus 128 data bytes.
FramePtr chunkFrame(std::uint32_t offset, const std::vector<std::uint8_t>& data) {
    FramePtr f = frameCreate(kFrameTypeRequest);
    frameAddBytes(*f, 0x26,
                  {static_cast<std::uint8_t>(offset >> 16), static_cast<std::uint8_t>(offset >> 8),
                   static_cast<std::uint8_t>(offset)});
    frameAddField(*f, 0x22, static_cast<std::uint8_t>(data.size()), data.data());
    frameSeal(*f);
    return f;
}

std::vector<std::uint8_t> randomBytes(std::size_t n) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) {
        b = static_cast<std::uint8_t>(rng());
    }
    return v;
}

void BM_BuildSealStuff(benchmark::State& state) {
    const auto data = randomBytes(128);
    std::vector<std::uint8_t> wire;
    std::uint32_t offset = 0;
    for (auto _ : state) {
        FramePtr f = chunkFrame(offset, data);
        wire.clear();
        frameStuff(f->frameBytes(), wire);
        benchmark::DoNotOptimize(wire.data());
        offset += 128;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildSealStuff);

void BM_WirePieces(benchmark::State& state) {
    const FramePtr f = chunkFrame(0x100, randomBytes(128));
    for (auto _ : state) {
        auto pieces = frameWirePieces(f->frameBytes());
        benchmark::DoNotOptimize(pieces.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WirePieces);

void BM_AssemblerThroughput(benchmark::State& state) {
    // A long stream of stuffed chunk frames, fed in 256-byte reads like the serial reader does.
    std::vector<std::uint8_t> stream;
    for (std::uint32_t i = 0; i < 512; ++i) {
        frameStuff(chunkFrame(i * 128, randomBytes(128))->frameBytes(), stream);
    }
    std::size_t frames = 0;
    FrameAssembler assembler([&frames](ReceivedFrame) { ++frames; });
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 256) {
            assembler.feed(std::span<const std::uint8_t>(stream).subspan(
                at, std::min<std::size_t>(256, stream.size() - at)));
        }
    }
    benchmark::DoNotOptimize(frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_AssemblerThroughput);

} // namespace
