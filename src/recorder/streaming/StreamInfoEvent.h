#pragma once

#include "core/EngineEvent.h"

namespace ambrin {

// Stream information (event 35): what is being played, and the unit of the path's positions.
// The main window keeps the time scale for its seek bar: positions it sends back are in
// units of timeScale seconds (tenths on the streaming path).
class StreamInfoEvent : public EngineEvent {
  public:
    StreamInfoEvent(long bitRateValue, long sampleRateValue, int channelCount)
        : EngineEvent(EventCode::TimeScale),
          bitRate(bitRateValue),
          sampleRate(sampleRateValue),
          channels(channelCount) {}
    std::string describe() const override;

    long bitRate;     // bits per second
    long sampleRate;  // sample frames per second
    int channels;
    double timeScale = 0.1;
};

}  // namespace ambrin
