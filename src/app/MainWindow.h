#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/EndpointSlot.h"
#include "app/MainWindowRules.h"
#include "app/SkinWindowOwner.h"
#include "core/EngineEvent.h"
#include "core/EngineParts.h"
#include "core/EngineState.h"
#include "platform/WindowEndpoint.h"
#include "recorder/LevelBlock.h"

namespace ambrin {

class ChildWindows;
class SkinDocument;
class SkinWindow;

// The program's main window: the owner of the skinned window, giving the skin's named
// controls ("Record", "Play", "Seek", "Volume", ...) their meaning. User actions become
// engine events; the controller's broadcasts become control states, the time display and
// the status text. It also owns the right-button menu, the keys, the manual, the maker's
// page and the delayed start of the updater, and answers menu commands sent to the
// "Ambrin+" endpoint (the updater's exit request).
//
// Made, started and destroyed on the GUI thread. onEvent, selectedFile and openManual come
// from the event thread, onMixerChange from the sound library's thread: they never wait for
// the GUI thread; what touches the window goes there as queued calls, in order.
class MainWindow : public QObject, public MainWindowInterface, public SkinWindowOwner {
  public:
    // What the window reaches of the engine's parts. Every member may be empty.
    struct Links {
        // The record list and the options (event 16); may be null. Used on the GUI thread
        // (selectedRecordFile on the event thread) and freed with the main window.
        std::shared_ptr<ChildWindows> childWindows;
        // Event thread, on event 32: the recorder takes over its detection settings and the
        // record mode, the mixer selects the input line from "InputSignalMode".
        std::function<void()> applyEngineSettings;
        // The recorder sets and stores a record mode (0 automatic, 1 manual). GUI thread.
        std::function<void(int)> setRecordMode;
        // The latest captured block, for the "LevelMeter". GUI thread.
        std::function<LevelBlock::Snapshot()> level;
        // The recording volume changed (percent): an open volume wizard shows it. GUI thread.
        std::function<void(int)> recordVolumeShown;
        // How long after the window was made the updater may start.
        std::chrono::milliseconds updaterDelay = std::chrono::seconds(120);
        // Prints every broadcast and window action on standard output (as the headless
        // program does), for people and scripts watching the program.
        bool verbose = false;
        // Starts the updater; the default puts staged files in place and starts "refrex".
        std::function<bool(const std::string& parameter)> startUpdater;
    };

    MainWindow(AppContext& context, Links links);
    ~MainWindow() override;

    // MainWindowInterface
    bool start() override;
    void onEvent(const EngineEvent& event) override;
    std::string selectedFile() override;
    void performAction(std::string_view action) override;
    void openManual() override;
    void onMixerChange() override;

    // SkinWindowOwner (GUI thread)
    void onAction(const std::string& control, int code) override;
    void onKey(int character) override;
    void onWheel(int steps) override;
    void onMiddleClick() override;
    void onMixerChange(int controlId) override;
    void onCreated() override;
    void onRightButton(const QPoint& globalPosition) override;
    void onStartUpdater() override;

    // A menu command (right-button menu, or the endpoint). GUI thread.
    void onMenuCommand(int id, std::int64_t lParam);

    // Mixer control ids of onMixerChange(int).
    static constexpr int kOtherControl = 0;
    static constexpr int kPlaybackControl = 1;
    static constexpr int kRecordingControl = 2;

    // For tests and pictures. GUI thread.
    SkinWindow* skinWindow() const { return m_window.get(); }
    EngineState state() const { return m_state; }
    const PlaybackVolume& playbackVolume() const { return m_volume; }
    int updaterStarts() const { return m_updaterStarts; }
    QMenu* menu() const { return m_menu.data(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What a broadcast carries, copied on the event thread for the GUI thread.
    struct Notice {
        EventCode code = EventCode::Nothing;
        int parameter = 0;
        int seconds = 0;       // 23: the position
        double number = -1.0;  // 22: the length; 23: the total length; 35: the time scale
        std::string text;      // 22: the file; 28, 29: the text
    };
    static Notice noticeOf(const EngineEvent& event);

    void loadSkin();
    std::string resolvedSkinPath() const;
    void applySettings();
    void handleEvent(const Notice& notice);
    void refreshControls();
    void showTime();
    void setStatus(int stringId, const std::string& extra = {});
    std::string recordModeLabel() const;
    void setPlaybackVolume(int percent);
    void setRecordVolume(int percent);
    void toggleMute();
    void switchWindow(const std::string& name);
    void openChildWindow(int id);
    void openAddress(const std::string& text);
    void feedLevelMeter();
    // Runs the level meter's tick only while the meter can be seen.
    void updateLevelTimer();
    // Puts the new window on screen, painted, before the start goes on with the slower parts
    // (the tray, the sound server's input) instead of at the event loop's first turn.
    void paintBeforeTheRest();
    void saveWindowPlace();
    void post(EventCode code, int parameter = 0);
    void setEnabled(const char* control, bool enabled);
    std::int64_t onMessage(const WindowMessage& message);

    AppContext& m_context;
    Links m_links;
    std::unique_ptr<SkinDocument> m_document;
    std::unique_ptr<SkinWindow> m_window;
    std::string m_windowMode;
    std::string m_skinPath;
    bool m_skinLoaded = false;

    // GUI thread only.
    EngineState m_state = EngineState::Idle;
    int m_position = -1;  // last position shown, seconds
    int m_length = -1;    // of the open file, seconds
    int m_seekPercent = 0;
    double m_timeScale = 0.0;  // of the positions the player takes; 0: seconds
    bool m_remainingTime = false;
    bool m_seekDragging = false;
    bool m_volumeDragging = false;
    bool m_recordVolumeDragging = false;
    PlaybackVolume m_volume;
    int m_recordVolume = -1;
    bool m_positionSaved = false;
    int m_updaterStarts = 0;
    QTimer m_levelTimer;
    QPointer<QMenu> m_menu;  // the right-button menu while it is open
    LevelBlock::Snapshot m_lastLevel;
    int m_unchangedLevelTicks = 0;  // level-timer ticks that found the block shown already
    int m_levelStyle = 0;           // "LevelMeter": 0 plain, 1 mirrored, 2 off

    // Set on the event thread when the quit broadcast arrives: the window's own close that
    // follows is the program ending, not a request to quit.
    std::atomic<bool> m_closing{false};
    // A mixer notice is queued and not yet handled; later ones join it.
    std::atomic<bool> m_mixerNoticePending{false};
    EndpointSlot m_endpoint;
};

}  // namespace ambrin
