#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "codec/RecordingSink.h"

// Helpers of the OGG and MP3 sink tests: captured audio, a reading of MPEG frame headers
// that does not share the program's code, and a full disk.
namespace ambrin::test {

// A sine tone at the capture rate, 8000 Hz.
inline std::vector<std::int16_t> tone(double seconds, double frequency) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * 8000));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(std::lround(
            8000 * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / 8000)));
    }
    return samples;
}

// Hands the samples over one 4096-byte capture buffer at a time; false when a write failed.
inline bool feed(RecordingSink& sink, const std::vector<std::int16_t>& samples) {
    bool ok = true;
    for (std::size_t at = 0; at < samples.size(); at += 2048) {
        ok =
            sink.write(samples.data() + at, std::min<std::size_t>(2048, samples.size() - at) * 2) &&
            ok;
    }
    return ok;
}

// The frequency of a tone from its zero crossings, without the first and last tenth.
inline double measuredFrequency(const std::vector<std::int16_t>& samples, int rate) {
    const std::size_t from = samples.size() / 10;
    const std::size_t to = samples.size() - from;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        crossings += (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
    }
    return crossings / 2.0 * rate / static_cast<double>(to - from);
}

inline double rms(const std::vector<std::int16_t>& samples) {
    double sum = 0;
    for (const double s : samples) {
        sum += s * s;
    }
    return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(samples.size(), 1)));
}

// A layer III frame header, read bit by bit.
struct Mp3Frame {
    std::size_t offset = 0;
    std::size_t length = 0;
    int mpeg = 0;        // 10 MPEG-1, 20 MPEG-2, 25 MPEG-2.5
    int bitRate = 0;     // kbit/s
    int sampleRate = 0;  // Hz
    std::uint32_t word = 0;
    int mainDataBegin = 0;  // bytes borrowed from earlier frames (the bit reservoir)

    bool bit(int n) const { return ((word >> n) & 1) != 0; }
    bool crc() const { return !bit(16); }
    bool privateBit() const { return bit(8); }
    bool mono() const { return ((word >> 6) & 3) == 3; }
    bool copyright() const { return bit(3); }
    bool original() const { return bit(2); }
    int emphasis() const { return static_cast<int>(word & 3); }
};

// The layer III frames that tile `bytes` from the first byte to the last; a test failure
// at anything else.
inline std::vector<Mp3Frame> layer3Frames(const std::string& bytes) {
    static const int kMpeg1[] = {0,   32,  40,  48,  56,  64,  80,  96,
                                 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static const int kRates[] = {44100, 48000, 32000, 0};
    std::vector<Mp3Frame> frames;
    std::size_t at = 0;
    while (at + 6 <= bytes.size()) {
        Mp3Frame f;
        f.offset = at;
        for (int i = 0; i < 4; ++i) {
            f.word =
                f.word << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        }
        const unsigned version = (f.word >> 19) & 3;
        f.mpeg = version == 3 ? 10 : version == 2 ? 20 : 25;
        const int* bitRates = f.mpeg == 10 ? kMpeg1 : kMpeg2;
        f.bitRate = bitRates[(f.word >> 12) & 15];
        f.sampleRate = kRates[(f.word >> 10) & 3] / (f.mpeg == 10 ? 1 : f.mpeg == 20 ? 2 : 4);
        if ((f.word >> 21) != 0x7FF || ((f.word >> 17) & 3) != 1 || version == 1 ||
            f.bitRate == 0 || f.sampleRate == 0) {
            ADD_FAILURE() << "no layer III frame header at " << at;
            return frames;
        }
        f.length =
            static_cast<std::size_t>((f.mpeg == 10 ? 144 : 72) * f.bitRate * 1000 / f.sampleRate) +
            (f.bit(9) ? 1 : 0);
        const auto* side =
            reinterpret_cast<const unsigned char*>(bytes.data() + at + (f.crc() ? 6 : 4));
        f.mainDataBegin = f.mpeg == 10 ? (side[0] << 1 | side[1] >> 7) : side[0];
        frames.push_back(f);
        at += f.length;
    }
    EXPECT_EQ(at, bytes.size()) << "the frames do not end with the file";
    return frames;
}

// Runs `record` in a child process whose files may not grow beyond 16 KiB; true when
// record() saw a write fail, as it must when the disk is full.
inline bool writeFailsOnAFullDisk(const std::function<bool()>& record) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16 * 1024, 16 * 1024};
        ::_exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 && !record() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace ambrin::test
