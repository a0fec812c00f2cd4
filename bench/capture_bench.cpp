// The capture thread's work for one 4096-byte buffer (256 ms of audio): publish to the level
// block, the detector's scan and clock, and the write into a WAVE file; and the same with a
// file that declares 44100 Hz (resampled on the way).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "codec/ResamplingSink.h"
#include "codec/WavSink.h"
#include "recorder/CallDetector.h"
#include "recorder/LevelBlock.h"

namespace {

std::vector<std::uint8_t> speechBuffer() {
    std::vector<std::uint8_t> bytes(4096);
    for (std::size_t i = 0; i < 2048; ++i) {
        const auto sample =
            static_cast<std::int16_t>(4000 * std::sin(static_cast<double>(i) * 0.3) *
                                      std::sin(static_cast<double>(i) * 0.004));
        bytes[2 * i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(sample) & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(sample) >> 8);
    }
    return bytes;
}

void capturePath(benchmark::State& state, ambrin::RecordingSink& sink) {
    const auto buffer = speechBuffer();
    ambrin::LevelBlock level;
    ambrin::CallDetector detector;
    detector.recordingStarted(0, 0, true);
    const ambrin::CallDetector::Settings settings{true, 20, 2, 8};
    std::uint64_t clock = 0;
    for (auto _ : state) {
        sink.write(reinterpret_cast<const std::int16_t*>(buffer.data()), buffer.size());
        level.publish(buffer.data(), buffer.size());
        clock += buffer.size();
        std::int16_t examined[512];
        for (std::size_t i = 0; i < 512; ++i) {
            examined[i] = static_cast<std::int16_t>(
                static_cast<std::uint16_t>(buffer[2 * i] | (buffer[2 * i + 1] << 8)));
        }
        benchmark::DoNotOptimize(detector.onBuffer(examined, 512, clock, true, settings));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 4096);
}

std::string scratchFile(const char* name) {
    const std::string folder =
        std::filesystem::temp_directory_path() / ("ambench." + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/" + name;
    std::filesystem::remove(path);
    return path;
}

void BM_CaptureBufferToWave(benchmark::State& state) {
    const std::string path = scratchFile("capture.wav");
    ambrin::WavSink sink(1, 16, 8000, 0);
    sink.open(path);
    capturePath(state, sink);
    sink.close();
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_CaptureBufferToWave);

void BM_CaptureBufferToResampledWave(benchmark::State& state) {
    const std::string path = scratchFile("capture44.wav");
    auto wav = std::make_unique<ambrin::WavSink>(1, 16, 44100, 0);
    wav->open(path);
    ambrin::ResamplingSink sink(std::move(wav), 8000, 44100, 16);
    capturePath(state, sink);
    sink.close();
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_CaptureBufferToResampledWave);

}  // namespace
