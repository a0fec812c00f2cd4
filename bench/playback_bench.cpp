// Latency of the media graph as the user feels it: from a play request to the first audio
// position, and from a seek to the new position. Audio goes to a clocked fake sink.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "codec/WavSink.h"
#include "platform/MediaGraph.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string recording() {
    static const std::string path = [] {
        const std::string folder =
            std::filesystem::temp_directory_path() / ("ambplay." + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const std::string file = folder + "/call.wav";
        ambrin::WavSink sink(1, 16, 8000, 0);
        sink.open(file);
        std::vector<std::int16_t> samples(8000 * 30);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<std::int16_t>(6000 * std::sin(static_cast<double>(i) * 0.2));
        }
        sink.write(samples.data(), samples.size() * 2);
        sink.close();
        return file;
    }();
    return path;
}

void BM_PlayToFirstPosition(benchmark::State& state) {
    ::setenv("AMBRIN_AUDIO_SINK", "fakesink sync=true", 1);
    const std::string file = recording();
    for (auto _ : state) {
        const auto start = Clock::now();
        ambrin::MediaGraph graph;
        graph.open(file);
        graph.run();
        while (graph.position() <= 0.0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_PlayToFirstPosition)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_SeekToNewPosition(benchmark::State& state) {
    ::setenv("AMBRIN_AUDIO_SINK", "fakesink sync=true", 1);
    ambrin::MediaGraph graph;
    graph.open(recording());
    graph.run();
    int target = 5;
    for (auto _ : state) {
        const auto start = Clock::now();
        graph.seek(target);
        while (std::fabs(graph.position() - target) > 0.5) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        target = target == 5 ? 20 : 5;
    }
}
BENCHMARK(BM_SeekToNewPosition)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
