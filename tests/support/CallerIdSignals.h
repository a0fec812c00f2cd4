#pragma once

#include <string>

#include "support/Signals.h"

namespace ambrin::test {

// Caller-ID signals as an exchange sends them, made by spandsp's own transmitters.
enum class CallerIdStandard { Bell202, V23, Dtmf };

// The caller's number as one burst: an MDMF caller-ID message in Bell 202 or V.23 FSK, or
// "A<number>C" in DTMF; scaled by `level` (1: the transmitter's own level).
signals::Samples callerIdBurst(CallerIdStandard standard, const std::string& number, double level);
// Digits dialled on the line (DTMF at the transmitter's level, 50 ms tones).
signals::Samples dialledDigits(const std::string& digits);
// `samples` with white noise of `amplitude` added, clipped to 16 bits.
signals::Samples withNoise(signals::Samples samples, int amplitude, std::uint32_t seed);

}  // namespace ambrin::test
