#include "support/CallerIdSignals.h"

#include <spandsp.h>

#include <algorithm>
#include <cmath>

namespace ambrin::test {

namespace {

signals::Samples scaled(const signals::Samples& samples, double level) {
    signals::Samples out(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(), [level](std::int16_t v) {
        return static_cast<std::int16_t>(std::clamp(std::lround(v * level), -32768L, 32767L));
    });
    return out;
}

}  // namespace

signals::Samples callerIdBurst(CallerIdStandard standard, const std::string& number, double level) {
    const int code = standard == CallerIdStandard::Bell202 ? ADSI_STANDARD_CLASS
                     : standard == CallerIdStandard::V23   ? ADSI_STANDARD_CLIP
                                                           : ADSI_STANDARD_CLIP_DTMF;
    adsi_tx_state_t* tx = adsi_tx_init(nullptr, code);
    std::uint8_t message[256];
    int length = 0;
    if (standard == CallerIdStandard::Dtmf) {
        const std::string text = "A" + number + "C";
        length = static_cast<int>(text.size());
        std::copy(text.begin(), text.end(), message);
    } else {
        length = adsi_add_field(tx, message, -1, CLIP_MDMF_CALLERID, nullptr, 0);
        length = adsi_add_field(tx, message, length, CLIP_CALLER_NUMBER,
                                reinterpret_cast<const std::uint8_t*>(number.data()),
                                static_cast<int>(number.size()));
    }
    adsi_tx_put_message(tx, message, length);
    signals::Samples out(8000 * 4);
    const int made = adsi_tx(tx, out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(std::max(made, 0)));
    adsi_tx_free(tx);
    return scaled(out, level);
}

signals::Samples dialledDigits(const std::string& digits) {
    dtmf_tx_state_t* tx = dtmf_tx_init(nullptr);
    dtmf_tx_put(tx, digits.c_str(), -1);
    signals::Samples out(8000 * 4);
    const int made = dtmf_tx(tx, out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(std::max(made, 0)));
    dtmf_tx_free(tx);
    return out;
}

signals::Samples withNoise(signals::Samples samples, int amplitude, std::uint32_t seed) {
    const signals::Samples hiss =
        signals::noise(static_cast<double>(samples.size()) / signals::kRate + 0.01,
                       static_cast<std::int16_t>(amplitude), seed);
    for (std::size_t i = 0; i < samples.size() && i < hiss.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(std::clamp(samples[i] + hiss[i], -32768, 32767));
    }
    return samples;
}

}  // namespace ambrin::test
