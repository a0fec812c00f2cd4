#include "support/Signals.h"

#include <cmath>
#include <numbers>

namespace ambrin::signals {

namespace {

std::size_t sampleCount(double seconds) {
    return static_cast<std::size_t>(std::llround(seconds * kRate));
}

// A small deterministic generator, so signals are the same on every machine.
class Lcg {
  public:
    explicit Lcg(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    std::uint32_t next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state;
    }
    double unit() { return (next() >> 8) / 16777216.0; }  // [0, 1)

  private:
    std::uint32_t m_state;
};

}  // namespace

Samples tone(double hertz, double seconds, std::int16_t amplitude) {
    Samples out(sampleCount(seconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::int16_t>(std::lround(
            amplitude * std::sin(2 * std::numbers::pi * hertz * static_cast<double>(i) / kRate)));
    }
    return out;
}

Samples silence(double seconds) {
    return Samples(sampleCount(seconds), 0);
}

Samples noise(double seconds, std::int16_t amplitude, std::uint32_t seed) {
    Lcg random(seed);
    Samples out(sampleCount(seconds));
    for (auto& sample : out) {
        sample = static_cast<std::int16_t>(std::lround((random.unit() * 2 - 1) * amplitude));
    }
    return out;
}

Samples speechLike(double seconds, std::uint32_t seed) {
    Lcg random(seed);
    Samples out;
    out.reserve(sampleCount(seconds));
    const std::size_t total = sampleCount(seconds);
    while (out.size() < total) {
        const double syllable = 0.12 + 0.2 * random.unit();
        const double pitch = 100 + 120 * random.unit();
        const double loudness = 3000 + 9000 * random.unit();
        const std::size_t length = sampleCount(syllable);
        for (std::size_t i = 0; i < length && out.size() < total; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double envelope =
                std::sin(std::numbers::pi * static_cast<double>(i) / static_cast<double>(length));
            double value = 0;
            for (int harmonic = 1; harmonic <= 5; ++harmonic) {
                value += std::sin(2 * std::numbers::pi * pitch * harmonic * t) / harmonic;
            }
            out.push_back(
                static_cast<std::int16_t>(std::lround(loudness * envelope * value / 2.3)));
        }
        const std::size_t pause = sampleCount(0.03 + 0.15 * random.unit());
        for (std::size_t i = 0; i < pause && out.size() < total; ++i) {
            out.push_back(0);
        }
    }
    return out;
}

Samples counter(std::size_t count, int start) {
    Samples out(count);
    int value = start;
    for (auto& sample : out) {
        sample = static_cast<std::int16_t>(value);
        value = value >= 32767 ? 1 : value + 1;
    }
    return out;
}

void append(Samples& to, const Samples& more) {
    to.insert(to.end(), more.begin(), more.end());
}

std::vector<std::uint8_t> toBytes(const Samples& samples) {
    std::vector<std::uint8_t> out(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto value = static_cast<std::uint16_t>(samples[i]);
        out[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
        out[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return out;
}

}  // namespace ambrin::signals
