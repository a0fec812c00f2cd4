#include "core/EngineEvent.h"

#include <cstdio>

namespace ambrin {

namespace {

const char* nameOf(EventCode code) {
    switch (code) {
        case EventCode::Stop:
            return "stop";
        case EventCode::Play:
            return "play";
        case EventCode::Pause:
            return "pause";
        case EventCode::Record:
            return "record";
        case EventCode::QuitAsk:
            return "quit-asked";
        case EventCode::Quit:
            return "quit";
        case EventCode::Help:
            return "help";
        case EventCode::CloseWindows:
            return "close-windows";
        case EventCode::Seek:
            return "seek";
        case EventCode::OpenWindow:
            return "open-window";
        case EventCode::VolumeWizard:
            return "volume-wizard";
        case EventCode::Acknowledge:
            return "acknowledge";
        case EventCode::EndOfPlayback:
            return "end-of-playback";
        case EventCode::FileOpened:
            return "file-opened";
        case EventCode::Time:
            return "time";
        case EventCode::StateIdle:
            return "idle";
        case EventCode::StatePaused:
            return "paused";
        case EventCode::StatePlaying:
            return "playing";
        case EventCode::StateRecording:
            return "recording";
        case EventCode::WarningText:
            return "warning";
        case EventCode::InfoText:
            return "info";
        case EventCode::PlaybackVolume:
            return "playback-volume";
        case EventCode::RecordVolume:
            return "record-volume";
        case EventCode::SettingsChanged:
            return "settings-changed";
        case EventCode::RecordingSaved:
            return "recording-saved";
        case EventCode::PlaybackError:
            return "playback-error";
        case EventCode::TimeScale:
            return "time-scale";
        case EventCode::RecordingFailed:
            return "recording-failed";
        case EventCode::CaptureLost:
            return "capture-lost";
        case EventCode::CaptureBack:
            return "capture-back";
        case EventCode::DiskLow:
            return "disk-low";
        case EventCode::StoreUnsaved:
            return "store-unsaved";
        case EventCode::CallerNumber:
            return "caller-number";
        case EventCode::Housekeeping:
            return "housekeeping";
        case EventCode::RetentionDone:
            return "retention-done";
        default:
            return "event";
    }
}

}  // namespace

std::string EngineEvent::describe() const {
    std::string line = std::to_string(number(m_code)) + " " + nameOf(m_code);
    if (m_parameter != 0) {
        line += " " + std::to_string(m_parameter);
    }
    return line;
}

std::string TimeEvent::describe() const {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%d time %d:%d:%d", number(code()), hours, minutes,
                  seconds);
    std::string line = buffer;
    if (totalSeconds > 0) {
        std::snprintf(buffer, sizeof buffer, " of %.1f", totalSeconds);
        line += buffer;
    }
    return line;
}

std::string TextEvent::describe() const {
    return EngineEvent::describe() + " " + text;
}

std::string CallerNumberEvent::describe() const {
    return EngineEvent::describe() + (dialled ? " dialled " : " ") + number;
}

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
