#include "recorder/InputMixer.h"

#include <algorithm>

#include "core/AppContext.h"
#include "core/SettingsStore.h"

namespace ambrin {

namespace {

Mixer::PortKind wantedKind(InputLine line) {
    return line == InputLine::Line ? Mixer::PortKind::Line : Mixer::PortKind::Microphone;
}

}  // namespace

InputMixer::InputMixer(AppContext& context, MainWindowInterface* noticeWindow) {
    if (!m_mixer.connect()) {
        return;
    }
    const int mode =
        context.settings != nullptr ? context.settings->intOr(setting::kInputSignalMode, 0) : 0;
    // The recording side: the chosen input, un-muted.
    selectInputSource(m_mixer, mode == 0 ? InputLine::Microphone : InputLine::Line);
    if (noticeWindow != nullptr) {
        m_mixer.onChange([noticeWindow] { noticeWindow->onMixerChange(); });
    }
}

InputMixer::~InputMixer() {
    m_mixer.onChange({});
}

MixerResult InputMixer::selectInputSource(InputLine line) {
    Mixer mixer;
    return selectInputSource(mixer, line);
}

MixerResult InputMixer::selectInputSource(Mixer& mixer, InputLine line) {
    if (!mixer.connect()) {
        return MixerResult::NoServer;
    }
    const auto source = mixer.defaultSource();
    if (!source) {
        return MixerResult::NoSource;
    }
    if (source->muted) {
        mixer.setSourceMute(source->name, false);
    }
    if (source->ports.empty()) {
        return MixerResult::NoPorts;
    }
    // When several inputs are of the wanted kind, the last one wins.
    const Mixer::Port* wanted = nullptr;
    for (const auto& port : source->ports) {
        if (port.kind == wantedKind(line)) {
            wanted = &port;
        }
    }
    if (wanted == nullptr) {
        return MixerResult::NoSuchInput;
    }
    if (wanted->name != source->activePort && !mixer.setSourcePort(source->name, wanted->name)) {
        return MixerResult::SetFailed;
    }
    return MixerResult::Done;
}

bool InputMixer::hasInputSource(InputLine line) {
    Mixer mixer;
    const auto source = mixer.defaultSource();
    return source &&
           std::any_of(source->ports.begin(), source->ports.end(),
                       [&](const Mixer::Port& port) { return port.kind == wantedKind(line); });
}

int InputMixer::toPercent(std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum) {
    if (maximum <= minimum) {
        return -1;
    }
    const std::uint64_t range = maximum - minimum;
    const std::uint64_t above = value > minimum ? value - minimum : 0;
    return static_cast<int>((above * 200 + range) / (2 * range));
}

std::uint32_t InputMixer::fromPercent(int percent, std::uint32_t minimum, std::uint32_t maximum) {
    percent = std::clamp(percent, 0, 100);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(maximum - minimum) *
                                      static_cast<unsigned>(percent) / 100);
}

int InputMixer::playbackVolume() {
    const auto sink = m_mixer.defaultSink();
    return sink ? toPercent(sink->volume, 0, Mixer::kFullScale) : -1;
}

void InputMixer::setPlaybackVolume(int percent) {
    if (const auto sink = m_mixer.defaultSink()) {
        m_mixer.setSinkVolume(sink->name, sink->channels,
                              fromPercent(percent, 0, Mixer::kFullScale));
    }
}

int InputMixer::recordVolume() {
    const auto source = m_mixer.defaultSource();
    return source ? toPercent(source->volume, 0, Mixer::kFullScale) : -1;
}

void InputMixer::setRecordVolume(int percent) {
    if (const auto source = m_mixer.defaultSource()) {
        m_mixer.setSourceVolume(source->name, source->channels,
                                fromPercent(percent, 0, Mixer::kFullScale));
    }
}

std::vector<WavePoint> volumeWaveform(const LevelBlock::Snapshot& level, int width, int height) {
    std::vector<WavePoint> points;
    const std::size_t n = level.byteCount;
    // Fewer than four bytes give no step at all (the step would divide by zero).
    if (n <= 1 || n / 4 == 0 || width <= 3 || height <= 0) {
        return points;
    }
    const int top = 0;
    const int bottom = height;
    const float mid = static_cast<float>(top) + static_cast<float>(height) * 0.5f;
    const float scale = mid * 0.00003051851f;
    const float step = static_cast<float>(width - 3) / static_cast<float>(n / 4);
    const std::size_t visits = (n / 2 + 1) / 2;
    float x = static_cast<float>(0) + step;
    for (std::size_t k = 0; k < visits && 2 * k < level.samples.size(); ++k) {
        if (k > 0) {
            const float scaled = static_cast<float>(
                static_cast<int>(static_cast<float>(level.samples[2 * k]) * scale));
            int y = static_cast<int>(scaled + mid);
            if (y <= top) {
                y = top + 1;
            } else if (y >= bottom) {
                y = bottom - 1;
            }
            points.push_back({static_cast<int>(x), y});
        }
        x += step;
    }
    return points;
}

}  // namespace ambrin
