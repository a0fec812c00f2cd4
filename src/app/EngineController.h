#pragma once

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "app/LineHealth.h"
#include "core/EngineEvent.h"
#include "core/EngineParts.h"
#include "core/EngineState.h"
#include "core/ObjectRegistry.h"
#include "platform/Semaphore.h"
#include "platform/WorkerThread.h"

namespace ambrin {

class AppContext;

// The provider registered as "pcm_volume"; its only operation answers 1.
class PcmVolumeProvider : public RegisteredObject {
  public:
    int provide() const { return 1; }
};

// The hub between the windows and the recording engine. Every request and notice is an
// EngineEvent in one queue; the event thread, the queue's only consumer, starts and stops
// recording and playback, keeps the EngineState and broadcasts every state change to the
// main window and the tray window in queue order.
//
// Threads: postEvent from any thread; start() and the destructor on the main thread;
// everything else on the event thread.
class EngineController : public EventSink {
  public:
    EngineController(AppContext& context, EngineParts parts);
    ~EngineController() override;
    EngineController(const EngineController&) = delete;
    EngineController& operator=(const EngineController&) = delete;

    // Appends to the queue and counts it on the queue semaphore. Returns 0.
    int postEvent(std::unique_ptr<EngineEvent> event) override;

    // Hands over the exit semaphore, released once when the program is to end.
    void setExitSemaphore(std::shared_ptr<Semaphore> exitSemaphore);

    // Creates the windows and the recorder, starts the event thread and the mixer, and
    // posts the start-up events.
    void start();

    // Under the notify mutex: to the main window, then to the tray window.
    void broadcast(const EngineEvent& event);

    // Percent, or -1 without a mixer.
    int playbackVolume();
    void setPlaybackVolume(int percent);
    int recordVolume();
    void setRecordVolume(int percent);

    EngineState state() const { return m_state.load(std::memory_order_acquire); }
    ObjectRegistry& registry() { return m_registry; }
    size_t queuedEvents() const;
    bool eventThreadRunning() const { return m_eventThread.isRunning(); }
    // True when start() found that the audio input cannot be opened; the program then quits.
    bool inputFailed() const { return m_inputFailed; }
    // True while the volume wizard is shown.
    bool wizardOpen() const { return m_wizardOpen.load(std::memory_order_acquire); }

  private:
    void runEventThread();
    // Handles one event; true when the event thread is to end.
    bool dispatch(const EngineEvent& event);
    bool setState(EngineState state);  // true when it changed
    void stop();
    void play();
    void pause();
    void record();
    void endOfPlayback();
    void callerNumber(const CallerNumberEvent& event);
    void volumeWizard();
    bool quit(bool ask);
    void recordingFailed();
    void captureLost();
    void storeUnsavedCalls();
    void runMinuteTicker();
    bool hasHousekeeping() const;
    void housekeeping();
    std::time_t now() const;
    void tell(const Notice& notice);
    bool hasMainWindowOwner() const;
    MixerInterface* mixer();
    void sleep(std::chrono::milliseconds duration);

    AppContext& m_context;
    EngineParts m_parts;
    ObjectRegistry m_registry;
    std::shared_ptr<PcmVolumeProvider> m_pcmVolume = std::make_shared<PcmVolumeProvider>();

    std::shared_ptr<Semaphore> m_exitSemaphore;
    Semaphore m_queueSemaphore;
    mutable std::mutex m_queueMutex;  // guards m_queue; held only to link or unlink
    std::deque<std::unique_ptr<EngineEvent>> m_queue;
    std::atomic<bool> m_stopEventThread{false};

    std::mutex m_notifyMutex;  // serialises broadcasts
    std::mutex m_engineLock;   // held while recording or playback starts or stops
    std::atomic<EngineState> m_state{EngineState::Idle};

    std::unique_ptr<MainWindowInterface> m_mainWindow;
    std::unique_ptr<TrayWindowInterface> m_trayWindow;
    std::unique_ptr<RecorderInterface> m_recorder;
    std::unique_ptr<PlayerInterface> m_player;  // event thread only
    std::unique_ptr<InfoWindowInterface> m_infoWindow;
    std::mutex
        m_mixerMutex;  // guards m_mixer: created on the main thread, used on the event thread
    std::unique_ptr<MixerInterface> m_mixer;

    // A full disk is told once; until a recording starts again, failed starts say no more.
    bool m_diskFullTold = false;  // event thread only
    // The same for a recording that cannot start (its folder is a file, or read-only): the
    // call detector asks again with every loud buffer.
    bool m_startFailureTold = false;  // event thread only
    bool m_inputFailed = false;       // main thread only

    // The retention rules and the line's health; event thread only after start().
    LineHealth m_health;
    std::time_t m_startTime = 0;                  // set by start()
    std::optional<std::time_t> m_lastCallSeen;    // a recording started in this run
    std::optional<std::time_t> m_inputLostSince;  // while the audio input is away
    std::optional<std::time_t> m_lastRetention;   // the rules run again a day later
    // The rules' run: file and database work that may take a while, so it never holds up the
    // event thread (a call must start at once). Joined before the next run and at the end.
    WorkerThread m_retentionThread;
    LineActivity m_activity;  // the last successful look at the records

    // Posts EventCode::StoreUnsaved (and Housekeeping) once a minute from start() until the
    // destructor.
    std::thread m_minuteTicker;
    std::mutex m_tickerMutex;  // guards m_tickerStop
    std::condition_variable m_tickerWake;
    bool m_tickerStop = false;

    WorkerThread m_wizardThread;
    std::atomic<bool> m_wizardOpen{false};
    WorkerThread m_eventThread;
};

}  // namespace ambrin
