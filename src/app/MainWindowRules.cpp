#include "app/MainWindowRules.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/Shell.h"

namespace ambrin {

namespace {

constexpr int kHour = 3600;
constexpr int kVolumeStep = 5;

std::string hoursMinutesSeconds(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / kHour, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::string minutesSeconds(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
    return text;
}

// Replaces `target` by its staged copy `target` + "_" when there is one, readable and
// executable by everyone (a copy staged by a download may have lost that).
void putStagedInPlace(const std::string& target) {
    const std::string staged = target + "_";
    struct stat info {};
    if (::stat(staged.c_str(), &info) != 0) {
        return;
    }
    ::unlink(target.c_str());
    if (std::rename(staged.c_str(), target.c_str()) == 0) {
        ::chmod(target.c_str(), 0755);
    }
}

}  // namespace

std::string timeDisplayText(int positionSeconds, int lengthSeconds, bool remaining) {
    if (remaining && lengthSeconds >= 0) {
        const int left = lengthSeconds - (positionSeconds + 1);
        if (left >= kHour) {
            return "-" + hoursMinutesSeconds(left);
        }
        if (left >= 1) {
            return "-" + minutesSeconds(left);
        }
        return "00:00";
    }
    if (positionSeconds < 0) {
        return "00:00";
    }
    return positionSeconds < kHour ? minutesSeconds(positionSeconds)
                                   : hoursMinutesSeconds(positionSeconds);
}

int seekTarget(int lengthSeconds, int percent, double timeScale) {
    const double divisor = timeScale > 0.0 ? 100.0 * timeScale : 100.0;
    return static_cast<int>(static_cast<double>(lengthSeconds) * percent / divisor) + 1;
}

int seekPreview(int lengthSeconds, int percent) {
    return lengthSeconds * percent / 100;
}

int wheelVolume(int current, int steps) {
    return std::clamp(current + steps * kVolumeStep, 0, 100);
}

void PlaybackVolume::set(int percent) {
    if (m_muted && percent != 0) {
        m_muted = false;
        m_savedBeforeMute = -1;
    }
    m_percent = percent;
}

int PlaybackVolume::toggleMute() {
    if (!m_muted) {
        m_savedBeforeMute = m_percent;
        m_muted = true;
        m_percent = 0;
        return 0;
    }
    m_muted = false;
    m_percent = std::max(m_savedBeforeMute, 0);
    m_savedBeforeMute = -1;
    return m_percent;
}

bool startUpdater(const std::string& programFolder, const std::string& parameter) {
    putStagedInPlace(programFolder + "refrex");
    putStagedInPlace(programFolder + "libwizard.so");
    return startProgram(programFolder + "refrex", {parameter}, programFolder);
}

}  // namespace ambrin
