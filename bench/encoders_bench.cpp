// Encoding speed of the recording sinks, as a multiple of real time, next to the stand-alone
// encoders (oggenc -q 0, lame -b 16) run on the same ten minutes of speech-like audio.
// Times are CPU times (the sink's thread; the tool's process), so that other work on the
// machine does not tilt the comparison; the reported iteration time is that CPU time.
//
//   x_realtime   seconds of audio encoded per second of CPU time
//   of_tool      the sink's x_realtime as a share of its stand-alone encoder's (run first)
//   of_same      the same against lame writing the sink's own MPEG version and sample rate
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "codec/ByteOrder.h"
#include "codec/Mp3Sink.h"
#include "codec/OggSink.h"

namespace {

using ambrin::Mp3Library;
using ambrin::Mp3Sink;
using ambrin::OggSink;

constexpr int kRate = 8000;
constexpr double kAudioSeconds = 600;
constexpr std::size_t kBufferSamples = 2048;  // one capture buffer

// Speech-like audio: syllables of a voiced sound (a fundamental of 100 to 220 Hz gliding a
// little, with harmonics up to 3.6 kHz shaped by two formant bumps) under a rise-and-fall
// envelope, short pauses between syllables and longer ones between phrases, a little breath
// noise throughout.
std::vector<std::int16_t> makeSpeech() {
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 60.0);
    const auto total = static_cast<std::size_t>(kAudioSeconds * kRate);
    std::vector<std::int16_t> out;
    out.reserve(total);
    int syllable = 0;
    while (out.size() < total) {
        const double length = 0.12 + 0.18 * uniform(random);
        const double f0 = 100 + 120 * uniform(random);
        const double glide = 0.9 + 0.2 * uniform(random);
        const double formant1 = 300 + 600 * uniform(random);
        const double formant2 = 900 + 1600 * uniform(random);
        const double loudness = 5000 + 5000 * uniform(random);
        const auto count = static_cast<std::size_t>(length * kRate);
        std::vector<double> phases(40, 0.0);
        for (std::size_t i = 0; i < count && out.size() < total; ++i) {
            const double progress = static_cast<double>(i) / static_cast<double>(count);
            const double envelope = std::pow(std::sin(std::numbers::pi * progress), 2);
            const double f = f0 * (1 + (glide - 1) * progress);
            double value = 0;
            for (std::size_t k = 1; k < phases.size() && f * static_cast<double>(k) < 3600; ++k) {
                const double h = f * static_cast<double>(k);
                const double shape = 1 / static_cast<double>(k) +
                                     0.8 * std::exp(-std::pow((h - formant1) / 150, 2)) +
                                     0.5 * std::exp(-std::pow((h - formant2) / 250, 2));
                phases[k] += 2 * std::numbers::pi * h / kRate;
                value += shape * std::sin(phases[k]);
            }
            out.push_back(static_cast<std::int16_t>(
                std::clamp(loudness * envelope * value / 3 + noise(random), -32768.0, 32767.0)));
        }
        ++syllable;
        const double pause =
            syllable % 8 == 0 ? 0.3 + 0.3 * uniform(random) : 0.03 + 0.12 * uniform(random);
        for (auto i = static_cast<std::size_t>(pause * kRate); i > 0 && out.size() < total; --i) {
            out.push_back(static_cast<std::int16_t>(std::clamp(noise(random), -32768.0, 32767.0)));
        }
    }
    return out;
}

// CPU seconds used by this thread so far.
double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU seconds (user and system) used by the ended child processes so far.
double childrenCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const std::vector<std::int16_t>& speech() {
    static const std::vector<std::int16_t> samples = makeSpeech();
    return samples;
}

// A folder under /tmp for the input WAVE and the encoded files, removed at exit.
const std::string& workFolder() {
    struct Folder {
        std::string path = "/tmp/ambrin-encoders-bench-" + std::to_string(::getpid());
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path;
}

// The speech as a canonical 16-bit mono PCM WAVE file.
const std::string& speechWave() {
    static const std::string path = [] {
        const std::string file = workFolder() + "/speech.wav";
        const auto& samples = speech();
        const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
        unsigned char header[44] = {'R', 'I', 'F', 'F', 0,  0, 0, 0, 'W', 'A', 'V', 'E',
                                    'f', 'm', 't', ' ', 16, 0, 0, 0, 1,   0,   1,   0};
        ambrin::putLe32(header + 4, 36 + dataSize);
        ambrin::putLe32(header + 24, kRate);
        ambrin::putLe32(header + 28, kRate * 2);
        ambrin::putLe16(header + 32, 2);
        ambrin::putLe16(header + 34, 16);
        std::copy_n("data", 4, header + 36);
        ambrin::putLe32(header + 40, dataSize);
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(header, 1, sizeof header, out);
        std::fwrite(samples.data(), 2, samples.size(), out);  // a little-endian host
        std::fclose(out);
        return file;
    }();
    return path;
}

// x_realtime of each stand-alone encoder, for the sinks' of_tool.
std::map<std::string, double>& toolSpeeds() {
    static std::map<std::string, double> speeds;
    return speeds;
}

// Sets x_realtime and, for each (counter, tool) pair whose tool has run, the share of that
// tool's speed.
void report(benchmark::State& state, double cpuSeconds,
            const std::vector<std::pair<std::string, std::string>>& comparisons) {
    const double speed = kAudioSeconds * static_cast<double>(state.iterations()) / cpuSeconds;
    state.counters["x_realtime"] = speed;
    for (const auto& [counter, tool] : comparisons) {
        const auto found = toolSpeeds().find(tool);
        if (found != toolSpeeds().end()) {
            state.counters[counter] = speed / found->second;
        }
    }
}

// Runs a stand-alone encoder on the speech WAVE file; `command` gets the quoted input and
// output paths.
template <typename Command>
void runTool(benchmark::State& state, const std::string& name, const Command& command) {
    const std::string line =
        command("'" + speechWave() + "'", "'" + workFolder() + "/tool.out'") + " >/dev/null 2>&1";
    double total = 0;
    for (auto _ : state) {
        const double start = childrenCpuSeconds();
        const int status = std::system(line.c_str());
        const double seconds = childrenCpuSeconds() - start;
        if (status != 0) {
            state.SkipWithError((name + " did not run").c_str());
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double speed = kAudioSeconds * static_cast<double>(state.iterations()) / total;
    toolSpeeds()[name] = speed;
    state.counters["x_realtime"] = speed;
}

void BM_Tool_oggenc_q0(benchmark::State& state) {
    runTool(state, "oggenc", [](const std::string& in, const std::string& out) {
        return "oggenc -Q -q 0 -o " + out + " " + in;
    });
}

void BM_Tool_lame_b16(benchmark::State& state) {
    runTool(state, "lame16", [](const std::string& in, const std::string& out) {
        return "lame --quiet -b 16 " + in + " " + out;
    });
}

// The sink's output format at 16 kbit/s: MPEG-2 at 16 kHz (the lame program given 8 kHz
// writes MPEG-2.5 at 8 kHz, half the frames).
void BM_Tool_lame_b16_resample16(benchmark::State& state) {
    runTool(state, "lame16at16k", [](const std::string& in, const std::string& out) {
        return "lame --quiet -b 16 --resample 16 " + in + " " + out;
    });
}

// The sink's output format at 128 kbit/s: MPEG-1 at 32 kHz.
void BM_Tool_lame_b128_resample32(benchmark::State& state) {
    runTool(state, "lame128at32k", [](const std::string& in, const std::string& out) {
        return "lame --quiet -b 128 --resample 32 " + in + " " + out;
    });
}

// Feeds the speech to a sink buffer by buffer as the capture thread would, and closes it.
template <typename MakeSink>
double encodeOnce(const MakeSink& makeSink, int iteration, const char* extension) {
    const std::string path = workFolder() + "/sink" + std::to_string(iteration) + extension;
    const auto& samples = speech();
    const double start = threadCpuSeconds();
    {
        auto sink = makeSink();
        if (!sink->open(path)) {
            return -1;
        }
        for (std::size_t at = 0; at < samples.size(); at += kBufferSamples) {
            const std::size_t count = std::min(kBufferSamples, samples.size() - at);
            sink->write(samples.data() + at, count * 2);
        }
        sink->close();
    }
    const double seconds = threadCpuSeconds() - start;
    std::remove(path.c_str());
    return seconds;
}

template <typename MakeSink>
void runSink(benchmark::State& state, const MakeSink& makeSink, const char* extension,
             const std::vector<std::pair<std::string, std::string>>& comparisons) {
    speech();
    double total = 0;
    int iteration = 0;
    for (auto _ : state) {
        const double seconds = encodeOnce(makeSink, iteration++, extension);
        if (seconds < 0) {
            state.SkipWithError("the sink did not open");
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    report(state, total, comparisons);
}

void BM_OggSink(benchmark::State& state) {
    runSink(state, [] { return std::make_unique<OggSink>(); }, ".ogg", {{"of_tool", "oggenc"}});
}

void BM_Mp3Sink(benchmark::State& state) {
    const auto library = Mp3Library::load("");
    if (!library) {
        state.SkipWithError("libmp3lame.so.0 cannot be loaded");
        return;
    }
    const auto bitRate = static_cast<int>(state.range(0));
    // of_tool: against lame -b 16 (MPEG-2.5 at 8 kHz); of_same: against lame writing the
    // sink's own format.
    const std::vector<std::pair<std::string, std::string>> comparisons =
        bitRate == 16
            ? std::vector<std::pair<std::string, std::string>>{{"of_tool", "lame16"},
                                                               {"of_same", "lame16at16k"}}
            : std::vector<std::pair<std::string, std::string>>{{"of_same", "lame128at32k"}};
    runSink(
        state, [&] { return std::make_unique<Mp3Sink>(library, bitRate, 8000); }, ".mp3",
        comparisons);
}

}  // namespace

BENCHMARK(BM_Tool_oggenc_q0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Tool_lame_b16)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Tool_lame_b16_resample16)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_Tool_lame_b128_resample32)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_OggSink)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Mp3Sink)
    ->Arg(16)
    ->Arg(128)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

BENCHMARK_MAIN();
