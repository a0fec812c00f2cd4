#include "recorder/streaming/StreamInfoEvent.h"

#include <cstdio>

namespace ambrin {

std::string StreamInfoEvent::describe() const {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, " %ld bit/s %ld Hz %d ch scale %.1f", bitRate, sampleRate,
                  channels, timeScale);
    return EngineEvent::describe() + buffer;
}

}  // namespace ambrin
