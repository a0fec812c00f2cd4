#include "recorder/CallDetector.h"

namespace ambrin {

int CallDetector::levelOf(std::int16_t sample) {
    const float level = static_cast<float>(sample) * 0.003051851f;
    return static_cast<int>(level);  // truncation toward zero
}

void CallDetector::recordingStarted(std::uint64_t capturedBytes, std::int64_t wallMilliseconds,
                                    bool automatic) {
    m_startBytes = capturedBytes;
    m_startMilliseconds = wallMilliseconds;
    m_lastShown = {};
    if (automatic) {
        m_lastSoundMilliseconds = wallMilliseconds;
    }
}

std::int64_t CallDetector::clockMilliseconds(std::uint64_t capturedBytes) const {
    const std::uint64_t since = capturedBytes >= m_startBytes ? capturedBytes - m_startBytes : 0;
    return m_startMilliseconds + static_cast<std::int64_t>(since * 1000 / kBytesPerSecond);
}

std::int64_t CallDetector::wholeSeconds(std::int64_t milliseconds) {
    return milliseconds >= 0 ? milliseconds / 1000 : -((-milliseconds + 999) / 1000);
}

CallDetector::Verdict CallDetector::onBuffer(const std::int16_t* examined, std::size_t count,
                                             std::uint64_t capturedBytes, bool recording,
                                             const Settings& settings) {
    Verdict verdict;
    const std::int64_t now = clockMilliseconds(capturedBytes);
    if (recording) {
        const std::int64_t elapsed = wholeSeconds(now) - wholeSeconds(m_startMilliseconds);
        const ElapsedTime shown{static_cast<int>(elapsed / 3600),
                                static_cast<int>(elapsed % 3600 / 60),
                                static_cast<int>(elapsed % 60)};
        if (!(shown == m_lastShown)) {
            m_lastShown = shown;
            verdict.elapsed = shown;
        }
        if (settings.automatic && settings.timeOfCallEnd > 0) {
            const std::int64_t silence = wholeSeconds(now) - wholeSeconds(m_lastSoundMilliseconds);
            if (silence > settings.timeOfCallEnd) {
                verdict.stopRequest = true;
            }
        }
    }
    if (!settings.automatic) {
        return verdict;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const int level = levelOf(examined[i]);
        if (recording && level > settings.endLevel) {
            m_lastSoundMilliseconds = now;
        }
        if (level > settings.startLevel) {
            if (!recording) {
                verdict.startRequest = true;
            }
            break;
        }
    }
    return verdict;
}

}  // namespace ambrin
