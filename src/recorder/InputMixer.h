#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/EngineParts.h"
#include "platform/Mixer.h"
#include "recorder/LevelBlock.h"

namespace ambrin {

class AppContext;

// Result codes of selecting the input source.
enum class MixerResult : int {
    Done = 0,
    NoServer = 37,     // the sound server cannot be reached
    NoSource = 38,     // there is no default source to record from
    NoPorts = 40,      // the source offers no choice of input
    NoSuchInput = 41,  // no input of the wanted kind
    SetFailed = 42,    // the server refused the change
};

// The recording input (microphone or line input of the default source), its volume and mute,
// and the playback volume of the default sink, in percent. Volumes read -1 and writes do
// nothing when there is no server or no such device. Mixer change notices go to the main
// window's onMixerChange().
//
// Threads: the event thread, the option pages and the volume wizard call it; notices come on
// the sound library's thread.
class InputMixer : public MixerInterface {
  public:
    InputMixer(AppContext& context, MainWindowInterface* noticeWindow);
    ~InputMixer() override;

    // Makes the wanted input the one the default source records, and un-mutes the source.
    static MixerResult selectInputSource(InputLine line);
    static MixerResult selectInputSource(Mixer& mixer, InputLine line);
    // True when the default source offers an input of that kind.
    static bool hasInputSource(InputLine line);

    int playbackVolume() override;
    void setPlaybackVolume(int percent) override;
    int recordVolume() override;
    void setRecordVolume(int percent) override;

    // Percent of a raw value: round((value − minimum) × 100 ÷ (maximum − minimum)), halves up.
    static int toPercent(std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum);
    // Raw value of a percent: (maximum − minimum) × percent ÷ 100 (integer division).
    static std::uint32_t fromPercent(int percent, std::uint32_t minimum, std::uint32_t maximum);

  private:
    Mixer m_mixer;
};

// A point of the volume wizard's waveform, in the view's client coordinates.
struct WavePoint {
    int x = 0;
    int y = 0;
};

// The waveform the volume wizard draws from the level block into a view of `width` × `height`:
// every other sample, positive samples below the middle line, clamped inside the view.
std::vector<WavePoint> volumeWaveform(const LevelBlock::Snapshot& level, int width, int height);

}  // namespace ambrin
