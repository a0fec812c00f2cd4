#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ObjectRegistry.h"

namespace ambrin {

class AppContext;
class EngineEvent;

// The window that shows the engine's state. Created and started by the controller.
class MainWindowInterface {
  public:
    virtual ~MainWindowInterface() = default;
    // Creates the window; it registers itself as "MainWindow" once it exists.
    virtual bool start() = 0;
    // A broadcast. Called on the event thread under the notify mutex, one event at a time
    // in queue order; must not wait for the event thread.
    virtual void onEvent(const EngineEvent& event) = 0;
    // The file chosen in the window for playback, or empty. Called on the event thread.
    virtual std::string selectedFile() = 0;
    // Performs a named window action (the controller uses "Minimize").
    virtual void performAction(std::string_view action) = 0;
    // Opens the manual. Called on the event thread.
    virtual void openManual() = 0;
    // The mixer reports a change (volume, mute or input). Called on the sound library's
    // thread; must not wait.
    virtual void onMixerChange() {}
};

// What the main window registers as "MainWindow".
class MainWindowObject : public RegisteredObject {
  public:
    explicit MainWindowObject(MainWindowInterface* mainWindow) : window(mainWindow) {}
    MainWindowInterface* const window;
};

// The notification-area window.
class TrayWindowInterface {
  public:
    virtual ~TrayWindowInterface() = default;
    virtual bool start() = 0;
    // A broadcast; same rules as the main window's.
    virtual void onEvent(const EngineEvent& event) = 0;
};

// The input line the recorder listens on (mixer component types).
enum class InputLine { Microphone = 0x1003, Line = 0x1002 };

// Result codes of opening the capture device.
enum class CaptureError : int {
    None = 0,
    ThreadFailed = 29,
    OpenFailed = 30,
    BlockFailed = 31,
    QueueFirstFailed = 34,
    QueueSecondFailed = 35,
    StartFailed = 36,
};

// The recorder: keeps the input open from start-up to quit, and writes recordings.
class RecorderInterface {
  public:
    virtual ~RecorderInterface() = default;
    // Opens the input. False with lastError() set when it cannot.
    virtual bool initialize(InputLine line) = 0;
    virtual CaptureError lastError() const = 0;
    // Starts a recording file; false when it cannot be created.
    virtual bool startRecording() = 0;
    // Ends the recording in progress and closes its file.
    virtual void stopRecording() = 0;
    // Full path of the current (or last) recording file.
    virtual std::string fileName() const = 0;
    // Closes the input.
    virtual void close() = 0;
};

// Tenths of a second: the positions of the streaming playback path.
using Tenths = std::chrono::duration<std::int64_t, std::deci>;

// The player of one file; exists only while a file is open for playback.
class PlayerInterface {
  public:
    virtual ~PlayerInterface() = default;
    virtual bool open(const std::string& path) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void seek(std::chrono::milliseconds position) = 0;
    // The unit of the positions the main window sends with the seek event: whole seconds on
    // the media-graph path, the time scale of the stream information (tenths) when streaming.
    virtual std::chrono::milliseconds seekUnit() const = 0;
};

// Playback and recording volumes in percent; -1 when there is no control.
class MixerInterface {
  public:
    virtual ~MixerInterface() = default;
    virtual int playbackVolume() = 0;
    virtual void setPlaybackVolume(int percent) = 0;
    virtual int recordVolume() = 0;
    virtual void setRecordVolume(int percent) = 0;
};

// The recording-information window that asks who called.
class InfoWindowInterface {
  public:
    virtual ~InfoWindowInterface() = default;
    virtual void open() = 0;
    virtual bool isOpen() const = 0;
    virtual void callSaved() = 0;
    virtual void callDiscarded() = 0;
    // The line told the number of the call (`dialled`: the number dialled from here); the
    // window shows it unless the user has typed one. Event thread; must not wait.
    virtual void lineNumber(const std::string& number, bool dialled) {
        static_cast<void>(number);
        static_cast<void>(dialled);
    }
};

// A text for the windows (the status line, the tray, the console): a warning or an information.
struct Notice {
    bool warning = false;
    std::string text;
};

// What the line's health is judged by, from the call records and the recordings' disk.
struct LineActivity {
    bool known = false;                   // false: the records could not be read this time
    std::optional<std::time_t> lastCall;  // the newest stored call, if any
    std::optional<int> daysUntilFull;     // the disk at the recent rate; empty: not filling
};

// How the controller makes its parts. Any factory may be empty: the controller then works
// without that part (no mixer: volumes read -1; no recorder: recording cannot start).
struct EngineParts {
    std::function<std::unique_ptr<MainWindowInterface>(AppContext&)> makeMainWindow;
    std::function<std::unique_ptr<TrayWindowInterface>(AppContext&)> makeTrayWindow;
    std::function<std::unique_ptr<RecorderInterface>(AppContext&)> makeRecorder;
    std::function<std::unique_ptr<PlayerInterface>(AppContext&)> makePlayer;
    std::function<std::unique_ptr<MixerInterface>(AppContext&, MainWindowInterface*)> makeMixer;
    std::function<std::unique_ptr<InfoWindowInterface>(AppContext&)> makeInfoWindow;
    // Measures and stores the recording just finished (its file's path); true when a record
    // was stored.
    std::function<bool(AppContext&, const std::string& path)> storeRecording;
    // Stores the calls that earlier stores had to keep in the unsaved-call journal; returns
    // how many went in. Called on the event thread after every stored call and once a minute.
    std::function<int(AppContext&)> storeUnsavedCalls;
    // Shows the volume wizard and returns when it is closed; runs on its own thread.
    std::function<void(AppContext&)> runVolumeWizard;
    // The wall clock in seconds; the system's when empty. Replaceable in tests.
    std::function<std::time_t()> now;
    // Deletes the calls the retention rules choose at `now`, never one whose file is in
    // `inUse` (the call being recorded or played); returns what to tell. Called on the event
    // thread at start-up and then daily.
    std::function<std::vector<Notice>(AppContext&, std::time_t now,
                                      const std::vector<std::string>& inUse)>
        applyRetention;
    // Reads the call records and the disk for the line's health. Event thread, once a minute.
    std::function<LineActivity(AppContext&, std::time_t now)> lineActivity;
    // The waits of the start-up lookup of "MainWindow" and of Play; replaceable in tests.
    std::function<void(std::chrono::milliseconds)> sleep;
};

}  // namespace ambrin
