#pragma once

#include <cstdint>
#include <vector>

// Line audio for tests and the demo line: 8000 Hz, signed 16-bit, mono.
namespace ambrin::signals {

using Samples = std::vector<std::int16_t>;

inline constexpr std::uint32_t kRate = 8000;

Samples tone(double hertz, double seconds, std::int16_t amplitude);
Samples silence(double seconds);
// Deterministic white noise.
Samples noise(double seconds, std::int16_t amplitude, std::uint32_t seed);
// Syllable-like bursts of a voiced sound (a fundamental with harmonics under a smooth
// envelope) with short pauses, as a voice on a telephone line looks to a level detector.
Samples speechLike(double seconds, std::uint32_t seed);
// Samples that never repeat within 32767 values and are never 0: start, start+1, ...
Samples counter(std::size_t count, int start = 1);

void append(Samples& to, const Samples& more);
std::vector<std::uint8_t> toBytes(const Samples& samples);  // little-endian

}  // namespace ambrin::signals
