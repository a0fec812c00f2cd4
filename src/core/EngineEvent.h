#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ambrin {

// Codes of the engine's events: requests to the engine, notices from it, and broadcasts
// to the windows. The numbers are the program's own; they leave it only in the headless
// output, `--command` and the logs (number()).
enum class EventCode : int {
    Stop = 1,
    Play = 2,
    Pause = 3,
    Record = 5,
    QuitAsk = 6,       // quit after the exit question
    Quit = 7,          // quit without a question
    Help = 8,          // open the manual
    CloseWindows = 9,  // broadcast at quit
    Seek = 10,         // parameter: position
    GetPlaybackVolume = 11,
    SetPlaybackVolume = 12,  // parameter: percent
    GetRecordVolume = 13,
    SetRecordVolume = 14,  // parameter: percent
    Nothing = 15,
    OpenWindow = 16,  // parameter: 0 record list, 2 options
    VolumeWizard = 17,
    Acknowledge = 20,  // windows answer the quit broadcast with it
    EndOfPlayback = 21,
    FileOpened = 22,  // a list of events
    Time = 23,        // hours, minutes, seconds (and total length)
    StateIdle = 24,
    StatePaused = 25,
    StatePlaying = 26,
    StateRecording = 27,
    WarningText = 28,     // a text
    InfoText = 29,        // a text
    PlaybackVolume = 30,  // parameter: percent
    RecordVolume = 31,    // parameter: percent
    SettingsChanged = 32,
    RecordingSaved = 33,
    PlaybackError = 34,
    TimeScale = 35,
    // The recorder's reports of trouble, so that no call is lost without a word.
    RecordingFailed = 36,  // the recording file could not be written (disk full)
    CaptureLost = 37,      // the audio input went away; the recorder reconnects
    CaptureBack = 38,      // the audio input is back
    DiskLow = 39,          // the recordings' disk has 40 MiB or less free
    StoreUnsaved = 40,     // try the unsaved-call journal again (once a minute)
    Housekeeping = 41,     // the retention rules (daily) and the line's health (once a minute)
    RetentionDone = 42,    // a list of the texts to tell about the retention rules' run
    CallerNumber = 50,     // the line told the number of the call being recorded
};

inline constexpr int number(EventCode code) {
    return static_cast<int>(code);
}

// One request or notice. Whoever posts an event gives up ownership; the event thread
// deletes it after handling.
class EngineEvent {
  public:
    explicit EngineEvent(EventCode code, std::int32_t parameter = 0)
        : m_code(code), m_parameter(parameter) {}
    virtual ~EngineEvent() = default;

    EventCode code() const { return m_code; }
    std::int32_t parameter() const { return m_parameter; }

    // One line for logs and the headless console, e.g. "27 recording" or "23 00:01:05".
    virtual std::string describe() const;

  private:
    EventCode m_code;
    std::int32_t m_parameter;
};

// Elapsed time (event 23), with the total length for playback (negative when unknown).
class TimeEvent : public EngineEvent {
  public:
    TimeEvent(int h, int m, int s, double total = -1.0)
        : EngineEvent(EventCode::Time), hours(h), minutes(m), seconds(s), totalSeconds(total) {}
    std::string describe() const override;

    int hours;
    int minutes;
    int seconds;
    double totalSeconds;
};

// An event carrying a text (28 warning, 29 info, or a file path).
class TextEvent : public EngineEvent {
  public:
    TextEvent(EventCode code, std::string value) : EngineEvent(code), text(std::move(value)) {}
    std::string describe() const override;

    std::string text;
};

// Event 50: the caller's number from the line (or, `dialled`, the number dialled) for the
// call being recorded.
class CallerNumberEvent : public EngineEvent {
  public:
    CallerNumberEvent(std::string value, bool isDialled)
        : EngineEvent(EventCode::CallerNumber), number(std::move(value)), dialled(isDialled) {}
    std::string describe() const override;

    std::string number;
    bool dialled;
};

// An event carrying further events (22: the file-opened notice and what goes with it).
class EventListEvent : public EngineEvent {
  public:
    explicit EventListEvent(EventCode code) : EngineEvent(code) {}
    std::string describe() const override;

    std::vector<std::unique_ptr<EngineEvent>> events;
};

// Notice 22: a file was opened for playback; `events` holds what goes with it (for the
// streaming path, its stream-information notice).
class FileOpenedEvent : public EventListEvent {
  public:
    FileOpenedEvent(double length, std::string file)
        : EventListEvent(EventCode::FileOpened), lengthSeconds(length), path(std::move(file)) {}
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
