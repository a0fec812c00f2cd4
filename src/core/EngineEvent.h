#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ambrin {

// Codes of the engine's events: requests to the engine, notices from it, and broadcasts
// to the windows.
namespace ev {
inline constexpr int kStop = 1;
inline constexpr int kPlay = 2;
inline constexpr int kPause = 3;
inline constexpr int kRecord = 5;
inline constexpr int kQuitAsk = 6;         // quit after the exit question
inline constexpr int kQuit = 7;            // quit without a question
inline constexpr int kHelp = 8;            // open the manual
inline constexpr int kCloseWindows = 9;    // broadcast at quit
inline constexpr int kSeek = 10;           // parameter: position
inline constexpr int kGetPlaybackVolume = 11;
inline constexpr int kSetPlaybackVolume = 12;  // parameter: percent
inline constexpr int kGetRecordVolume = 13;
inline constexpr int kSetRecordVolume = 14;    // parameter: percent
inline constexpr int kNothing = 15;
inline constexpr int kOpenWindow = 16;     // parameter: 0 record list, 2 options
inline constexpr int kVolumeWizard = 17;
inline constexpr int kAcknowledge = 20;    // windows answer the quit broadcast with it
inline constexpr int kEndOfPlayback = 21;
inline constexpr int kFileOpened = 22;     // a list of events
inline constexpr int kTime = 23;           // hours, minutes, seconds (and total length)
inline constexpr int kStateIdle = 24;
inline constexpr int kStatePaused = 25;
inline constexpr int kStatePlaying = 26;
inline constexpr int kStateRecording = 27;
inline constexpr int kWarningText = 28;    // a text
inline constexpr int kInfoText = 29;       // a text
inline constexpr int kPlaybackVolume = 30; // parameter: percent
inline constexpr int kRecordVolume = 31;   // parameter: percent
inline constexpr int kSettingsChanged = 32;
inline constexpr int kRecordingSaved = 33;
inline constexpr int kPlaybackError = 34;
inline constexpr int kTimeScale = 35;
// The recorder's reports of trouble, so that no call is lost without a word.
inline constexpr int kRecordingFailed = 36;  // the recording file could not be written (disk full)
inline constexpr int kCaptureLost = 37;      // the audio input went away; the recorder reconnects
inline constexpr int kCaptureBack = 38;      // the audio input is back
inline constexpr int kDiskLow = 39;          // the recordings' disk has 40 MiB or less free
}  // namespace ev

// One request or notice. Whoever posts an event gives up ownership; the event thread
// deletes it after handling.
class EngineEvent {
public:
    explicit EngineEvent(int code, std::int32_t parameter = 0) : m_code(code), m_parameter(parameter) {}
    virtual ~EngineEvent() = default;

    int code() const { return m_code; }
    std::int32_t parameter() const { return m_parameter; }

    // One line for logs and the headless console, e.g. "27 recording" or "23 00:01:05".
    virtual std::string describe() const;

private:
    int m_code;
    std::int32_t m_parameter;
};

// Elapsed time (event 23), with the total length for playback (negative when unknown).
class TimeEvent : public EngineEvent {
public:
    TimeEvent(int h, int m, int s, double total = -1.0)
        : EngineEvent(ev::kTime), hours(h), minutes(m), seconds(s), totalSeconds(total) {}
    std::string describe() const override;

    int hours;
    int minutes;
    int seconds;
    double totalSeconds;
};

// An event carrying a text (28 warning, 29 info, or a file path).
class TextEvent : public EngineEvent {
public:
    TextEvent(int code, std::string value) : EngineEvent(code), text(std::move(value)) {}
    std::string describe() const override;

    std::string text;
};

// An event carrying further events (22: the file-opened notice and what goes with it).
class EventListEvent : public EngineEvent {
public:
    explicit EventListEvent(int code) : EngineEvent(code) {}
    std::string describe() const override;

    std::vector<std::unique_ptr<EngineEvent>> events;
};

// Notice 22: a file was opened for playback; `events` holds what goes with it (for the
// streaming path, its stream-information notice).
class FileOpenedEvent : public EventListEvent {
public:
    FileOpenedEvent(double length, std::string file)
        : EventListEvent(ev::kFileOpened), lengthSeconds(length), path(std::move(file)) {}
    std::string describe() const override;

    double lengthSeconds;
    std::string path;
};

// Whoever can take events (the engine controller). Engine parts are handed one through the
// AppContext and post to it; none of them knows the controller.
class EventSink {
public:
    virtual ~EventSink() = default;
    // Takes the event (a null event is allowed and handled as nothing). Returns 0, or 19
    // when the queue does not exist.
    virtual int postEvent(std::unique_ptr<EngineEvent> event) = 0;
};

inline constexpr int kQueueMissing = 19;

}  // namespace ambrin
