// The capture thread's extra work for the caller-ID receiver: handing one 4096-byte buffer
// (256 ms of audio) to it while its worker decodes; and the worker's decoding of a buffer.
// "percent_of_buffer" is the hand-over's share of the buffer's duration (in percent;
// Google Benchmark prints 0.0018 as "1.8m").

#include <benchmark/benchmark.h>

#include <cmath>
#include <thread>
#include <vector>

#include "core/AppContext.h"
#include "recorder/CallerIdReceiver.h"

namespace {

constexpr double kBufferSeconds = 0.256;

std::vector<std::uint8_t> lineBuffer() {
    std::vector<std::uint8_t> bytes(4096);
    for (std::size_t i = 0; i < 2048; ++i) {
        const auto sample =
            static_cast<std::int16_t>(3000 * std::sin(static_cast<double>(i) * 0.9));
        bytes[2 * i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(sample) & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(sample) >> 8);
    }
    return bytes;
}

// Until the worker has decoded (or dropped) every buffer offered so far.
void waitForWorker(const ambrin::CallerIdReceiver& receiver, std::uint64_t offered) {
    while (receiver.decoded() + receiver.dropped() < offered) {
        std::this_thread::yield();
    }
}

void BM_CaptureHandOverWithDecoderRunning(benchmark::State& state) {
    ambrin::AppContext context;
    ambrin::CallerIdReceiver receiver(context);
    const auto buffer = lineBuffer();
    std::uint64_t clock = 0;
    std::uint64_t offered = 0;
    for (auto _ : state) {
        clock += buffer.size();
        receiver.offer(buffer.data(), buffer.size(), clock, true);
        ++offered;
        state.PauseTiming();
        // The line brings a buffer every 256 ms; the worker has long finished the last one
        // by then. Waiting here keeps the measurement to the hand-over itself.
        waitForWorker(receiver, offered);
        state.ResumeTiming();
    }
    state.counters["percent_of_buffer"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBufferSeconds / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["dropped"] = static_cast<double>(receiver.dropped());
}
BENCHMARK(BM_CaptureHandOverWithDecoderRunning)->Iterations(2000);

// The worker's side: all receivers over one buffer, wake-up included (wall time).
void BM_DecoderThroughput(benchmark::State& state) {
    ambrin::AppContext context;
    ambrin::CallerIdReceiver receiver(context);
    const auto buffer = lineBuffer();
    std::uint64_t clock = 0;
    std::uint64_t offered = 0;
    for (auto _ : state) {
        clock += buffer.size();
        receiver.offer(buffer.data(), buffer.size(), clock, true);
        ++offered;
        waitForWorker(receiver, offered);
    }
}
BENCHMARK(BM_DecoderThroughput)->Iterations(2000)->UseRealTime();

}  // namespace
