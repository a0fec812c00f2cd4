#include "app/EngineController.h"

#include <thread>

#include "app/StartupTrace.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"

namespace ambrin {

namespace {

constexpr auto kLookupWait = std::chrono::milliseconds(500);
constexpr int kLookupWaits = 5;
constexpr auto kPlayHold = std::chrono::milliseconds(500);
constexpr int kVolumeFloor = 21;  // a start-up volume below this is raised
constexpr int kVolumeRaised = 50;
constexpr const char* kMainWindowName = "MainWindow";
constexpr const char* kPcmVolumeName = "pcm_volume";
// A call that could not be stored (a locked database) is tried again this often, so a
// program that runs for weeks does not keep it waiting for the next start.
constexpr auto kUnsavedRetryInterval = std::chrono::minutes(1);
// The retention rules run at start-up and then once a day.
constexpr std::time_t kRetentionInterval = 24 * 60 * 60;

}  // namespace

EngineController::EngineController(AppContext& context, EngineParts parts)
    : m_context(context), m_parts(std::move(parts)) {
    if (m_parts.makeInfoWindow) {
        m_infoWindow = m_parts.makeInfoWindow(m_context);
    }
    m_registry.registerObject(kPcmVolumeName, m_pcmVolume);
    m_context.registry = &m_registry;
    m_context.events = this;
    if (m_context.settings != nullptr) {
        std::string folder;
        if (m_context.settings->readString(setting::kDatabasePath, folder) == kSettingsOk &&
            !folder.empty()) {
            makeFolders(folder);
        }
    }
}

EngineController::~EngineController() {
    {
        std::lock_guard lock(m_tickerMutex);
        m_tickerStop = true;
    }
    m_tickerWake.notify_all();
    if (m_minuteTicker.joinable()) {
        m_minuteTicker.join();
    }
    m_retentionThread.wait();
    // The event thread has normally ended with a quit; if not (start-up never got that
    // far), end it here so nothing outlives the controller.
    if (m_eventThread.isRunning()) {
        m_stopEventThread.store(true, std::memory_order_release);
        m_queueSemaphore.release();
    }
    m_eventThread.wait();
    m_exitSemaphore.reset();
    m_wizardThread.wait();
    {
        std::lock_guard lock(m_mixerMutex);
        m_mixer.reset();
    }
    m_player.reset();
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.clear();  // events posted after the event thread ended
    }
    m_mainWindow.reset();
    m_trayWindow.reset();
    m_infoWindow.reset();
    m_recorder.reset();
    m_registry.clear();
    if (m_context.events == this) {
        m_context.events = nullptr;
        m_context.registry = nullptr;
    }
}

int EngineController::postEvent(std::unique_ptr<EngineEvent> event) {
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.push_back(std::move(event));
    }
    m_queueSemaphore.release();
    return 0;
}

size_t EngineController::queuedEvents() const {
    std::lock_guard lock(m_queueMutex);
    return m_queue.size();
}

void EngineController::setExitSemaphore(std::shared_ptr<Semaphore> exitSemaphore) {
    m_exitSemaphore = std::move(exitSemaphore);
}

void EngineController::sleep(std::chrono::milliseconds duration) {
    if (m_parts.sleep) {
        m_parts.sleep(duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

void EngineController::start() {
    if (m_parts.makeMainWindow) {
        m_mainWindow = m_parts.makeMainWindow(m_context);
    }
    startupStage("main window made (skin loaded)");
    if (m_mainWindow) {
        m_mainWindow->start();
    }
    startupStage("main window started");
    if (m_parts.makeTrayWindow) {
        m_trayWindow = m_parts.makeTrayWindow(m_context);
    }
    if (m_trayWindow) {
        m_trayWindow->start();
    }

    startupStage("tray started");
    const int inputMode =
        m_context.settings != nullptr ? m_context.settings->intOr(setting::kInputSignalMode, 0) : 0;
    if (m_parts.makeRecorder) {
        m_recorder = m_parts.makeRecorder(m_context);
    }
    if (m_recorder &&
        !m_recorder->initialize(inputMode == 0 ? InputLine::Microphone : InputLine::Line)) {
        const std::string text = loadString(str::kAudioInitFailed) + " [" +
                                 std::to_string(static_cast<int>(m_recorder->lastError())) + "]";
        showMessage(text, kMbIconWarning, hasMainWindowOwner());
        m_inputFailed = true;
        postEvent(std::make_unique<EngineEvent>(EventCode::Quit));
    }

    startupStage("audio input opened");
    m_startTime = now();
    m_eventThread.start([this] { runEventThread(); });
    if (m_parts.storeUnsavedCalls || hasHousekeeping()) {
        m_minuteTicker = std::thread([this] { runMinuteTicker(); });
    }

    // The window registers itself from its own thread; give it a little time.
    bool found = m_registry.contains(kMainWindowName);
    for (int waits = 0; !found;) {
        sleep(kLookupWait);
        if (++waits == kLookupWaits) {
            break;
        }
        found = m_registry.contains(kMainWindowName);
    }
    if (found) {
        if (m_parts.makeMixer) {
            auto mixer = m_parts.makeMixer(m_context, m_mainWindow.get());
            std::lock_guard lock(m_mixerMutex);
            m_mixer = std::move(mixer);
        }
        postEvent(std::make_unique<EngineEvent>(EventCode::GetPlaybackVolume));
        postEvent(std::make_unique<EngineEvent>(EventCode::GetRecordVolume));
    } else {
        postEvent(std::make_unique<EngineEvent>(EventCode::QuitAsk));
    }

    if (m_context.settings != nullptr && m_mainWindow &&
        (m_context.settings->boolOr(setting::kMinimizeRun, false) ||
         m_context.settings->boolOr(setting::kUsePassword, false))) {
        m_mainWindow->performAction("Minimize");
    }

    if (recordVolume() < kVolumeFloor) {
        setRecordVolume(kVolumeRaised);
    }
    if (playbackVolume() < kVolumeFloor) {
        setPlaybackVolume(kVolumeRaised);
    }

    if (m_context.settings != nullptr && !m_context.settings->boolOr(setting::kAutoVolume, false)) {
        postEvent(std::make_unique<EngineEvent>(EventCode::VolumeWizard));
    }
    if (hasHousekeeping()) {
        postEvent(std::make_unique<EngineEvent>(EventCode::Housekeeping));
    }
}

void EngineController::runEventThread() {
    nameThisThread("events");
    for (;;) {
        m_queueSemaphore.acquire();
        if (m_stopEventThread.load(std::memory_order_acquire)) {
            return;
        }
        std::unique_ptr<EngineEvent> event;
        bool taken = false;
        {
            std::lock_guard lock(m_queueMutex);
            if (!m_queue.empty()) {
                event = std::move(m_queue.front());
                m_queue.pop_front();
                taken = true;
            }
        }
        if (!taken || !event) {
            continue;  // a null event is deleted without action
        }
        if (dispatch(*event)) {
            return;
        }
    }
}

bool EngineController::dispatch(const EngineEvent& event) {
    switch (event.code()) {
        case EventCode::Stop:
            stop();
            break;
        case EventCode::Play:
            play();
            break;
        case EventCode::Pause:
            pause();
            break;
        case EventCode::Record:
            record();
            break;
        case EventCode::QuitAsk:
            return quit(true);
        case EventCode::Quit:
            return quit(false);
        case EventCode::Help:
            if (m_mainWindow) {
                m_mainWindow->openManual();
            }
            break;
        case EventCode::Seek:
            if ((state() == EngineState::Playing || state() == EngineState::Paused) && m_player) {
                m_player->seek(event.parameter() * m_player->seekUnit());
            }
            break;
        case EventCode::GetPlaybackVolume:
            if (m_mainWindow) {
                m_mainWindow->onEvent(EngineEvent(EventCode::PlaybackVolume, playbackVolume()));
            }
            break;
        case EventCode::SetPlaybackVolume:
            setPlaybackVolume(event.parameter());
            break;
        case EventCode::GetRecordVolume:
            if (m_mainWindow) {
                m_mainWindow->onEvent(EngineEvent(EventCode::RecordVolume, recordVolume()));
            }
            break;
        case EventCode::SetRecordVolume:
            setRecordVolume(event.parameter());
            break;
        case EventCode::OpenWindow:
            broadcast(event);
            break;
        case EventCode::VolumeWizard:
            volumeWizard();
            break;
        case EventCode::EndOfPlayback:
        case EventCode::PlaybackError:
            endOfPlayback();
            break;
        case EventCode::FileOpened:
            if (state() == EngineState::Playing) {
                broadcast(event);
                if (const auto* list = dynamic_cast<const EventListEvent*>(&event)) {
                    for (const auto& inner : list->events) {
                        if (inner) {
                            broadcast(*inner);
                        }
                    }
                }
            }
            break;
        case EventCode::Time:
            if (state() == EngineState::Playing || state() == EngineState::Recording) {
                broadcast(event);
            }
            break;
        case EventCode::SettingsChanged:
        case EventCode::RecordingSaved:
            broadcast(event);
            break;
        case EventCode::RecordingFailed:
            recordingFailed();
            break;
        case EventCode::CaptureLost:
            if (!m_inputLostSince) {
                m_inputLostSince = now();
            }
            captureLost();
            break;
        case EventCode::CaptureBack:
            m_inputLostSince.reset();
            broadcast(TextEvent(EventCode::InfoText, loadString(str::kAudioInputBack)));
            break;
        case EventCode::DiskLow:
            showStringMessage(str::kDiskLowWhileRunning, kMbIconWarning, hasMainWindowOwner());
            break;
        case EventCode::StoreUnsaved:
            storeUnsavedCalls();
            break;
        case EventCode::CallerNumber:
            if (const auto* caller = dynamic_cast<const CallerNumberEvent*>(&event)) {
                callerNumber(*caller);
            }
            break;
        case EventCode::Housekeeping:
            housekeeping();
            break;
        case EventCode::RetentionDone:
            if (const auto* list = dynamic_cast<const EventListEvent*>(&event)) {
                for (const auto& inner : list->events) {
                    if (inner) {
                        broadcast(*inner);
                    }
                }
            }
            break;
        default:
            break;  // 15, 20 (the windows' quit acknowledgement) and unknown codes
    }
    return false;
}

bool EngineController::setState(EngineState newState) {
    return m_state.exchange(newState, std::memory_order_acq_rel) != newState;
}

void EngineController::broadcast(const EngineEvent& event) {
    std::lock_guard lock(m_notifyMutex);
    if (m_mainWindow) {
        m_mainWindow->onEvent(event);
    }
    if (m_trayWindow) {
        m_trayWindow->onEvent(event);
    }
}

void EngineController::stop() {
    std::lock_guard lock(m_engineLock);
    if (state() == EngineState::Playing && m_player) {
        m_player->stop();
        m_player.reset();
    }
    if (state() == EngineState::Recording) {
        if (m_recorder) {
            m_recorder->stopRecording();
        }
        const std::string file = m_recorder ? m_recorder->fileName() : std::string();
        const bool saved =
            m_parts.storeRecording && !file.empty() && m_parts.storeRecording(m_context, file);
        if (fileExists(file)) {
            m_context.setCurrentFile(file);  // the recording last made can be played at once
        }
        const bool infoOpen = m_infoWindow && m_infoWindow->isOpen();
        if (saved) {
            if (infoOpen) {
                m_infoWindow->callSaved();
            }
            broadcast(EngineEvent(EventCode::RecordingSaved));
            storeUnsavedCalls();  // the database takes records again
        } else if (infoOpen) {
            m_infoWindow->callDiscarded();
        }
    }
    if (setState(EngineState::Idle)) {
        broadcast(EngineEvent(EventCode::StateIdle));
    }
}

void EngineController::play() {
    std::lock_guard lock(m_engineLock);
    // Playing needs nothing; while Recording a player would leave the recording running
    // unseen (the state would say Playing and Stop would not end it), so it waits.
    if (state() == EngineState::Playing || state() == EngineState::Recording) {
        return;
    }
    if (!m_player) {
        if (m_mainWindow) {
            const std::string selected = m_mainWindow->selectedFile();
            if (!selected.empty()) {
                m_context.setCurrentFile(selected);
            }
        }
        if (!m_parts.makePlayer) {
            return;
        }
        m_player = m_parts.makePlayer(m_context);
        if (!m_player || !m_player->open(m_context.currentFile())) {
            m_player.reset();
            return;
        }
    }
    m_player->play();
    if (setState(EngineState::Playing)) {
        broadcast(EngineEvent(EventCode::StatePlaying));
    }
    sleep(kPlayHold);
}

void EngineController::pause() {
    if (!m_player) {
        return;
    }
    m_player->pause();
    if (setState(EngineState::Paused)) {
        broadcast(EngineEvent(EventCode::StatePaused));
    }
}

void EngineController::record() {
    if (wizardOpen() || state() == EngineState::Playing || state() == EngineState::Recording) {
        return;
    }
    setState(EngineState::Recording);
    {
        auto lock = m_context.lockInformation();
        m_context.lineNumberLocked() = {};  // what the line tells from now on is this call's
    }
    if (!m_recorder || !m_recorder->startRecording()) {
        if (!m_diskFullTold && !m_startFailureTold) {
            showStringMessage(str::kRecordFileFailed, kMbIconWarning, hasMainWindowOwner());
        }
        m_startFailureTold = true;
        setState(EngineState::Idle);
        return;
    }
    m_diskFullTold = false;
    m_startFailureTold = false;
    m_lastCallSeen = now();
    broadcast(EngineEvent(EventCode::StateRecording));
    if (m_context.settings != nullptr &&
        m_context.settings->boolOr(setting::kCallInformation, true)) {
        if (m_infoWindow) {
            m_infoWindow->open();
        }
        m_context.setLastRecordKey({});
    }
}

void EngineController::callerNumber(const CallerNumberEvent& event) {
    if (state() != EngineState::Recording) {
        return;  // the call it belonged to has ended already
    }
    {
        auto lock = m_context.lockInformation();
        m_context.lineNumberLocked() = {event.number, event.dialled};
    }
    broadcast(event);
    if (m_infoWindow && m_infoWindow->isOpen()) {
        m_infoWindow->lineNumber(event.number, event.dialled);
    }
}

void EngineController::endOfPlayback() {
    if (state() == EngineState::Playing && m_player) {
        m_player->stop();
    }
    m_player.reset();
    if (setState(EngineState::Idle)) {
        broadcast(EngineEvent(EventCode::StateIdle));
    }
    broadcast(EngineEvent(EventCode::EndOfPlayback));
}

void EngineController::volumeWizard() {
    if (wizardOpen() || !m_parts.runVolumeWizard) {
        return;
    }
    m_wizardThread.wait();  // a finished wizard's thread
    m_wizardOpen.store(true, std::memory_order_release);
    const bool started = m_wizardThread.start([this] {
        m_parts.runVolumeWizard(m_context);
        m_wizardOpen.store(false, std::memory_order_release);
    });
    if (!started) {
        m_wizardOpen.store(false, std::memory_order_release);
    }
}

bool EngineController::quit(bool ask) {
    if (ask && showStringMessage(str::kExitQuestion, kMbYesNo | kMbIconQuestion,
                                 hasMainWindowOwner()) != kIdYes) {
        return false;
    }
    stop();
    if (m_recorder) {
        m_recorder->close();
    }
    broadcast(EngineEvent(EventCode::CloseWindows));
    if (m_exitSemaphore) {
        m_exitSemaphore->release();
    }
    return true;
}

void EngineController::recordingFailed() {
    if (state() != EngineState::Recording) {
        return;
    }
    stop();  // what the file holds is closed, measured and stored
    if (!m_diskFullTold) {
        m_diskFullTold = true;
        showStringMessage(str::kDiskFullRecordingEnded, kMbIconWarning, hasMainWindowOwner());
    }
}

void EngineController::captureLost() {
    if (state() == EngineState::Recording) {
        stop();
    }
    broadcast(TextEvent(EventCode::InfoText, loadString(str::kAudioInputLost)));
}

void EngineController::storeUnsavedCalls() {
    if (!m_parts.storeUnsavedCalls) {
        return;
    }
    if (const int stored = m_parts.storeUnsavedCalls(m_context); stored > 0) {
        std::string text = loadString(str::kUnsavedCallsStored);
        if (const size_t at = text.find("%d"); at != std::string::npos) {
            text.replace(at, 2, std::to_string(stored));
        }
        broadcast(TextEvent(EventCode::InfoText, text));
    }
}

void EngineController::runMinuteTicker() {
    nameThisThread("minute-ticker");
    std::unique_lock lock(m_tickerMutex);
    while (!m_tickerWake.wait_for(lock, kUnsavedRetryInterval, [this] { return m_tickerStop; })) {
        if (m_parts.storeUnsavedCalls) {
            postEvent(std::make_unique<EngineEvent>(EventCode::StoreUnsaved));
        }
        if (hasHousekeeping()) {
            postEvent(std::make_unique<EngineEvent>(EventCode::Housekeeping));
        }
    }
}

bool EngineController::hasHousekeeping() const {
    return m_parts.applyRetention || m_parts.lineActivity;
}

std::time_t EngineController::now() const {
    return m_parts.now ? m_parts.now() : std::time(nullptr);
}

void EngineController::tell(const Notice& notice) {
    if (!notice.text.empty()) {
        broadcast(
            TextEvent(notice.warning ? EventCode::WarningText : EventCode::InfoText, notice.text));
    }
}

void EngineController::housekeeping() {
    const std::time_t time = now();
    if (m_parts.applyRetention && !m_retentionThread.isRunning() &&
        (!m_lastRetention || time - *m_lastRetention >= kRetentionInterval)) {
        m_lastRetention = time;
        // Never the call being recorded or played. A recording's file gets its record only when
        // it has ended, so only the played file can be among the rules' calls; a file played
        // from the list while the rules run stays readable to its open player.
        std::vector<std::string> inUse;
        if (state() == EngineState::Recording && m_recorder) {
            inUse.push_back(m_recorder->fileName());
        }
        if (m_player || state() == EngineState::Playing || state() == EngineState::Paused) {
            inUse.push_back(m_context.currentFile());
        }
        m_retentionThread.start([this, time, inUse = std::move(inUse)] {
            auto done = std::make_unique<EventListEvent>(EventCode::RetentionDone);
            for (Notice& notice : m_parts.applyRetention(m_context, time, inUse)) {
                if (!notice.text.empty()) {
                    done->events.push_back(std::make_unique<TextEvent>(
                        notice.warning ? EventCode::WarningText : EventCode::InfoText,
                        std::move(notice.text)));
                }
            }
            postEvent(std::move(done));
        });
    }
    if (!m_parts.lineActivity) {
        return;
    }
    // A busy or unreadable database leaves the facts of the last look in place.
    if (LineActivity activity = m_parts.lineActivity(m_context, time); activity.known) {
        m_activity = std::move(activity);
    }
    const LineActivity& activity = m_activity;
    HealthFacts facts;
    facts.now = time;
    facts.lastCall = activity.lastCall.value_or(m_startTime);
    if (m_lastCallSeen && *m_lastCallSeen > facts.lastCall) {
        facts.lastCall = *m_lastCallSeen;
    }
    facts.quietLimit =
        m_context.settings != nullptr ? m_context.settings->intOr(setting::kQuietLineDays, 0) : 0;
    facts.inputLostSince = m_inputLostSince;
    facts.daysUntilFull = activity.daysUntilFull;
    for (const HealthChange& change : m_health.update(facts)) {
        tell({change.raised, change.text});
    }
}

bool EngineController::hasMainWindowOwner() const {
    return m_registry.contains(kMainWindowName);
}

MixerInterface* EngineController::mixer() {
    std::lock_guard lock(m_mixerMutex);
    return m_mixer.get();
}

int EngineController::playbackVolume() {
    MixerInterface* m = mixer();
    return m != nullptr ? m->playbackVolume() : -1;
}

void EngineController::setPlaybackVolume(int percent) {
    if (MixerInterface* m = mixer()) {
        m->setPlaybackVolume(percent);
    }
}

int EngineController::recordVolume() {
    MixerInterface* m = mixer();
    return m != nullptr ? m->recordVolume() : -1;
}

void EngineController::setRecordVolume(int percent) {
    if (MixerInterface* m = mixer()) {
        m->setRecordVolume(percent);
    }
}

}  // namespace ambrin
