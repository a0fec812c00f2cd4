#include "core/EngineEvent.h"

#include <cstdio>

namespace ambrin {

namespace {

const char* nameOf(int code) {
    switch (code) {
        case ev::kStop: return "stop";
        case ev::kPlay: return "play";
        case ev::kPause: return "pause";
        case ev::kRecord: return "record";
        case ev::kQuitAsk: return "quit-asked";
        case ev::kQuit: return "quit";
        case ev::kHelp: return "help";
        case ev::kCloseWindows: return "close-windows";
        case ev::kSeek: return "seek";
        case ev::kOpenWindow: return "open-window";
        case ev::kVolumeWizard: return "volume-wizard";
        case ev::kAcknowledge: return "acknowledge";
        case ev::kEndOfPlayback: return "end-of-playback";
        case ev::kFileOpened: return "file-opened";
        case ev::kTime: return "time";
        case ev::kStateIdle: return "idle";
        case ev::kStatePaused: return "paused";
        case ev::kStatePlaying: return "playing";
        case ev::kStateRecording: return "recording";
        case ev::kWarningText: return "warning";
        case ev::kInfoText: return "info";
        case ev::kPlaybackVolume: return "playback-volume";
        case ev::kRecordVolume: return "record-volume";
        case ev::kSettingsChanged: return "settings-changed";
        case ev::kRecordingSaved: return "recording-saved";
        case ev::kPlaybackError: return "playback-error";
        case ev::kTimeScale: return "time-scale";
        case ev::kRecordingFailed: return "recording-failed";
        case ev::kCaptureLost: return "capture-lost";
        case ev::kCaptureBack: return "capture-back";
        case ev::kDiskLow: return "disk-low";
        default: return "event";
    }
}

}  // namespace

std::string EngineEvent::describe() const {
    std::string line = std::to_string(m_code) + " " + nameOf(m_code);
    if (m_parameter != 0) {
        line += " " + std::to_string(m_parameter);
    }
    return line;
}

std::string TimeEvent::describe() const {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%d time %d:%d:%d", code(), hours, minutes, seconds);
    std::string line = buffer;
    if (totalSeconds > 0) {
        std::snprintf(buffer, sizeof buffer, " of %.1f", totalSeconds);
        line += buffer;
    }
    return line;
}

std::string TextEvent::describe() const { return EngineEvent::describe() + " " + text; }

std::string EventListEvent::describe() const {
    std::string line = EngineEvent::describe();
    for (const auto& event : events) {
        line += " [" + (event ? event->describe() : std::string("null")) + "]";
    }
    return line;
}

std::string FileOpenedEvent::describe() const {
    char length[32];
    std::snprintf(length, sizeof length, "%.1f", lengthSeconds);
    return EventListEvent::describe() + " " + path + " (" + length + " s)";
}

}  // namespace ambrin
