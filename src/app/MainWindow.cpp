#include "app/MainWindow.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "app/ChildWindows.h"
#include "app/CommandMenu.h"
#include "app/HeadlessWindow.h"
#include "app/Manual.h"
#include "app/MenuCommands.h"
#include "app/SkinWindow.h"
#include "app/StartupTrace.h"
#include "codec/Mp3Library.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/StringTable.h"
#include "recorder/streaming/StreamInfoEvent.h"
#include "skin/LevelMeterControl.h"
#include "skin/SkinDocument.h"
#include "skin/SkinManager.h"
#include "skin/SkinNames.h"
#include "skin/SkinPaths.h"
#include "skin/SkinResults.h"

namespace ambrin {

namespace {

constexpr const char* kRegisteredName = "MainWindow";
constexpr const char* kMakerPage = "http://www.tavix.co.kr/";
constexpr const char* kUpdateParameter = "/update";
// The capture hands over a new level block every 256 ms; a tick a little shorter than that
// never misses one, and a shorter tick would only wake the program to find the same block.
constexpr int kLevelPeriodMs = 250;
// A line that has stayed the same for two seconds (a silent adapter) is looked at once a
// second; its first change brings the quarter-second tick back.
constexpr int kQuietLevelPeriodMs = 1000;
constexpr int kTicksBeforeQuiet = 8;
// How long the start waits for the display to put the new window on screen.
constexpr int kFirstPaintPatienceMs = 500;
constexpr int kWindowStatusInside = 1;
constexpr int kWindowStatusOutside = 8;
constexpr int kLevelStyles = 3;

// Control names of the skin.
namespace control {
constexpr const char* kRecord = "Record";
constexpr const char* kPlay = "Play";
constexpr const char* kPause = "Pause";
constexpr const char* kStop = "Stop";
constexpr const char* kSeek = "Seek";
constexpr const char* kVolume = "Volume";
constexpr const char* kRecordVolume = "RecordVolume";
constexpr const char* kMute = "Mute";
constexpr const char* kTime = "Time";
constexpr const char* kInfo = "Info";
constexpr const char* kLevelMeter = "LevelMeter";
constexpr const char* kRecordMode = "RecordMode";
constexpr const char* kRecordFormat = "RecordFormat";
constexpr const char* kWindowStatus = "WindowStatus";
constexpr const char* kMinimize = "Minimize";
constexpr const char* kTray = "Tray";
constexpr const char* kOptions = "Options";
constexpr const char* kRecordList = "RecordList";
constexpr const char* kQuit = "Quit";
constexpr const char* kLogo = "Logo";
constexpr const char* kHelp = "Help";
}  // namespace control

// Control event codes (see SkinControl.h; 7 and 8 come from the window's hover test).
constexpr int kClick = 0;
constexpr int kSliderMoved = 4;
constexpr int kSliderReleased = 5;
constexpr int kTextClick = 6;
constexpr int kEnteredWindow = 7;
constexpr int kLeftWindow = 8;

bool pathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

MainWindow::Notice MainWindow::noticeOf(const EngineEvent& event) {
    Notice notice;
    notice.code = event.code();
    notice.parameter = event.parameter();
    if (const auto* time = dynamic_cast<const TimeEvent*>(&event)) {
        notice.seconds = time->hours * 3600 + time->minutes * 60 + time->seconds;
        notice.number = time->totalSeconds;
    } else if (const auto* opened = dynamic_cast<const FileOpenedEvent*>(&event)) {
        notice.number = opened->lengthSeconds;
        notice.text = opened->path;
    } else if (const auto* text = dynamic_cast<const TextEvent*>(&event)) {
        notice.text = text->text;
    } else if (const auto* info = dynamic_cast<const StreamInfoEvent*>(&event)) {
        notice.number = info->timeScale;
    }
    return notice;
}

MainWindow::MainWindow(AppContext& context, Links links)
    : m_context(context), m_links(std::move(links)) {
    m_windowMode =
        m_context.settings != nullptr ? m_context.settings->stringOr(setting::kWindowMode, "") : "";
    if (m_windowMode.empty()) {
        m_windowMode = skin::kMainWindow;
    }
    loadSkin();
    m_levelTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_levelTimer, &QTimer::timeout, this, [this] { feedLevelMeter(); });
}

MainWindow::~MainWindow() {
    m_endpoint.close();
    m_levelTimer.stop();
    if (m_window) {
        m_window->removeEventFilter(this);
        saveWindowPlace();
        m_window.reset();
    }
    if (m_context.registry != nullptr) {
        m_context.registry->unregisterObject(kRegisteredName);
    }
}

std::string MainWindow::resolvedSkinPath() const {
    if (m_context.settings == nullptr) {
        return skin::kDefaultSkinFile;
    }
    std::string path = m_context.settings->stringOr(setting::kSkinPath, "");
    if (path.empty()) {
        path = skin::kDefaultSkinFile;
    }
    if (!pathExists(path)) {
        path = joinPath(
            m_context.settings->stringOr(setting::kInstallPath, m_context.programFolder), path);
    }
    return path;
}

void MainWindow::loadSkin() {
    m_document = std::make_unique<SkinDocument>();
    m_skinLoaded = false;
    if (m_context.settings == nullptr) {
        return;
    }
    m_skinPath = resolvedSkinPath();
    SkinManager manager(*m_context.settings);
    std::string reason;
    const int result = manager.loadSkin(m_skinPath, *m_document, reason);
    if (result == skin::kOk) {
        m_skinLoaded = true;
        // A package that could not be opened was replaced by the default skin, which the
        // manager has selected already.
        if (pathExists(m_skinPath)) {
            m_context.settings->writeString(setting::kSkinPath, m_skinPath);
        }
    } else if (result == skin::kTempFolderFailed) {
        post(EventCode::QuitAsk);
    } else {
        if (reason.empty()) {
            reason = m_document->errorText();
            if (!m_document->failure().empty()) {
                reason += (reason.empty() ? "" : " ") + m_document->failure();
            }
        }
        showMessage(loadString(str::kSkinParseFailed) + " " + reason, kMbIconWarning, false);
        post(EventCode::QuitAsk);
    }
    m_document->setDefaultFont(m_context.settings->stringOr(setting::kSkinDefaultFont, ""));
}

bool MainWindow::start() {
    m_endpoint.open(
        kMainWindowClass, kMainWindowTitle,
        [this](const WindowMessage& message) { return onMessage(message); }, "main window");
    if (!m_skinLoaded) {
        return false;
    }
    // A stored mode the skin does not have (another skin's) falls back to its main window.
    std::shared_ptr<SkinView> view = m_document->window(m_windowMode);
    if (!view) {
        view = m_document->window(skin::kMainWindow);
        if (!view && !m_document->windows().empty()) {
            view = m_document->windows().front();
        }
        if (view) {
            m_windowMode = view->name();
        }
    }
    if (!view) {
        post(EventCode::QuitAsk);
        return false;
    }
    SkinWindow::Options options;
    QPoint position(-1, -1);
    if (m_context.settings != nullptr) {
        m_remainingTime = m_context.settings->intOr(setting::kTimeMode, 0) != 0;
        const std::string stored = m_context.settings->stringOr(setting::kMainWindowPos, "");
        int x = -1;
        int y = -1;
        if (std::sscanf(stored.c_str(), " %d , %d", &x, &y) == 2) {
            position = QPoint(x, y);
        }
        options.topmost = m_context.settings->boolOr(setting::kKeepVisible, false);
        options.toolWindow = m_context.settings->boolOr(setting::kToTray, false) ||
                             m_context.settings->boolOr(setting::kUsePassword, false);
        options.autoUpdate = m_context.settings->boolOr(setting::kAutoUpdateValue, false);
    }
    options.updaterDelay = m_links.updaterDelay;
    m_window = std::make_unique<SkinWindow>(*this, view, options);
    // A close that is not the program ending asks the quit question first; the window
    // stays until the answer is Yes.
    m_window->installEventFilter(this);
    if (m_window->create(position) != SkinWindow::kOk) {
        m_window.reset();
        post(EventCode::QuitAsk);
        return false;
    }
    updateLevelTimer();
    paintBeforeTheRest();
    return true;
}

void MainWindow::paintBeforeTheRest() {
    // A window that starts minimised or hidden (to the tray, behind the password) is not
    // waited for: it must not flash on screen first.
    if (m_context.settings != nullptr &&
        (m_context.settings->boolOr(setting::kMinimizeRun, false) ||
         m_context.settings->boolOr(setting::kUsePassword, false))) {
        return;
    }
    QWindow* native = m_window->windowHandle();
    if (native == nullptr || !m_window->isVisible()) {
        return;
    }
    // The display answers the new window with an exposure, on which the toolkit paints it.
    // Nothing of the user's can arrive yet, and the engine's thread has not started.
    bool late = false;
    QTimer patience;
    patience.setSingleShot(true);
    connect(&patience, &QTimer::timeout, this, [&late] { late = true; });
    patience.start(kFirstPaintPatienceMs);
    while (!native->isExposed() && !late) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    }
    QGuiApplication::sync();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (m_window && watched == m_window.get()) {
        switch (event->type()) {
            case QEvent::Paint:
                startupFinished();
                break;
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::WindowStateChange:
                // Once the window's own bookkeeping of the change is done.
                QTimer::singleShot(0, this, [this] { updateLevelTimer(); });
                break;
            default:
                break;
        }
    }
    if (m_window && watched == m_window.get() && event->type() == QEvent::Close &&
        !m_closing.load(std::memory_order_acquire) && m_window->created() && !m_window->busy()) {
        event->ignore();
        onAction(control::kQuit, kClick);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MainWindow::onCreated() {
    if (m_context.registry != nullptr) {
        m_context.registry->registerObject(kRegisteredName,
                                           std::make_shared<MainWindowObject>(this));
    }
    m_window->setTitle(kMainWindowTitle);
    refreshControls();
}

void MainWindow::applySettings() {
    if (!m_window || m_context.settings == nullptr) {
        return;
    }
    const bool topmost = m_context.settings->boolOr(setting::kKeepVisible, false);
    const bool tool = m_context.settings->boolOr(setting::kToTray, false) ||
                      m_context.settings->boolOr(setting::kUsePassword, false);
    const Qt::WindowFlags flags = m_window->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) != topmost) {
        m_window->setTopmost(topmost);
    }
    if (((flags & Qt::WindowType_Mask) == Qt::Tool) != tool) {
        m_window->setToolWindow(tool);
    }
    m_window->setAutoUpdate(m_context.settings->boolOr(setting::kAutoUpdateValue, false));
}

void MainWindow::post(EventCode code, int parameter) {
    if (m_context.events != nullptr) {
        m_context.events->postEvent(std::make_unique<EngineEvent>(code, parameter));
    }
}

void MainWindow::setEnabled(const char* name, bool enabled) {
    m_window->setState(name, enabled ? control_state::kNormal : control_state::kDisabled);
}

// --- Broadcasts -------------------------------------------------------------------------

void MainWindow::onEvent(const EngineEvent& event) {
    if (m_links.verbose) {
        consoleLine("ambrin: event " + event.describe());
    }
    switch (event.code()) {
        case EventCode::CloseWindows:
            m_closing.store(true, std::memory_order_release);
            m_endpoint.close();
            break;
        case EventCode::SettingsChanged:
            // The engine's part of a settings change happens here, on the event thread.
            if (m_links.applyEngineSettings) {
                m_links.applyEngineSettings();
            }
            break;
        default:
            break;
    }
    QMetaObject::invokeMethod(
        this, [this, notice = noticeOf(event)] { handleEvent(notice); }, Qt::QueuedConnection);
}

}  // namespace ambrin

namespace ambrin {

void MainWindow::handleEvent(const Notice& notice) {
    switch (notice.code) {
        case EventCode::CloseWindows:
            if (m_menu) {
                m_menu->close();
            }
            if (m_links.childWindows) {
                m_links.childWindows->cancel();
            }
            m_levelTimer.stop();
            if (m_window) {
                m_window->closeWindow();
                saveWindowPlace();
            }
            if (m_context.registry != nullptr) {
                m_context.registry->unregisterObject(kRegisteredName);
            }
            post(EventCode::Acknowledge);
            return;
        case EventCode::OpenWindow:
            openChildWindow(notice.parameter);
            return;
        case EventCode::RecordingSaved:
            if (m_links.childWindows) {
                m_links.childWindows->recordsChanged();
            }
            return;
        case EventCode::TimeScale:
            m_timeScale = notice.number;
            return;
        case EventCode::RecordVolume:
            m_recordVolume = notice.parameter;
            if (m_links.recordVolumeShown) {
                m_links.recordVolumeShown(notice.parameter);
            }
            break;
        case EventCode::WarningText:
            showMessage(notice.text, kMbIconWarning, true);
            return;
        default:
            break;
    }
    if (!m_window) {
        return;
    }
    const std::lock_guard<std::recursive_mutex> guard(m_window->mutex());
    switch (notice.code) {
        case EventCode::EndOfPlayback:
            m_seekPercent = 0;
            m_position = -1;
            m_length = -1;
            m_window->setValue(control::kSeek, 0);
            showTime();
            break;
        case EventCode::FileOpened:
            m_length = static_cast<int>(notice.number);
            // The unit of seeking is told again (event 35) when it is not whole seconds.
            m_timeScale = 0.0;
            setEnabled(control::kSeek, m_length >= 0);
            setStatus(0, fileNameOf(notice.text));
            break;
        case EventCode::Time:
            if ((notice.seconds == m_position && notice.seconds >= 1) || m_seekDragging) {
                break;
            }
            m_position = notice.seconds;
            // Some files tell their length only once they play.
            if (m_length < 1 && notice.number >= 1.0 && m_state != EngineState::Recording) {
                m_length = static_cast<int>(notice.number);
                setEnabled(control::kSeek, true);
            }
            showTime();
            if (m_length >= 1) {
                m_window->setValue(control::kSeek,
                                   static_cast<int>(std::int64_t{m_position} * 100 / m_length));
            }
            break;
        case EventCode::StateIdle:
            m_state = EngineState::Idle;
            m_seekPercent = 0;
            m_position = -1;
            m_length = -1;
            m_window->setValue(control::kSeek, 0);
            m_window->setValue(control::kPause, 0);
            showTime();
            setEnabled(control::kPlay, !m_context.currentFile().empty());
            setEnabled(control::kRecord, true);
            setEnabled(control::kPause, false);
            setEnabled(control::kStop, false);
            setEnabled(control::kSeek, false);
            setStatus(str::kStatusWaiting, recordModeLabel());
            break;
        case EventCode::StatePaused:
            m_state = EngineState::Paused;
            m_window->setValue(control::kPause, 1);
            setEnabled(control::kRecord, false);
            break;
        case EventCode::StatePlaying:
            m_state = EngineState::Playing;
            m_window->setValue(control::kPause, 0);
            setEnabled(control::kPause, true);
            setEnabled(control::kStop, true);
            setEnabled(control::kSeek, true);
            setEnabled(control::kPlay, false);
            setEnabled(control::kRecord, false);
            break;
        case EventCode::StateRecording:
            m_state = EngineState::Recording;
            // The recording's time starts from nothing, not from the last file played.
            m_position = -1;
            m_length = -1;
            showTime();
            setEnabled(control::kRecord, false);
            setEnabled(control::kPlay, false);
            setEnabled(control::kPause, false);
            setEnabled(control::kSeek, false);
            setEnabled(control::kStop, true);
            setStatus(str::kStatusRecording);
            break;
        case EventCode::InfoText:
            m_window->setText(control::kInfo, notice.text);
            break;
        case EventCode::PlaybackVolume:
            m_volume.set(notice.parameter);
            m_window->setValue(control::kVolume, notice.parameter);
            m_window->setValue(control::kMute, m_volume.muted() ? 1 : 0);
            break;
        case EventCode::RecordVolume:
            m_window->setValue(control::kRecordVolume, notice.parameter);
            break;
        case EventCode::SettingsChanged:
            if (m_context.settings != nullptr && resolvedSkinPath() != m_skinPath) {
                std::unique_ptr<SkinDocument> previous = std::move(m_document);
                loadSkin();
                std::shared_ptr<SkinView> view =
                    m_skinLoaded ? m_document->window(m_windowMode) : nullptr;
                if (!view && m_skinLoaded) {
                    view = m_document->window(skin::kMainWindow);
                }
                if (view && m_window->replaceView(view) == SkinWindow::kOk) {
                    m_windowMode = view->name();
                } else {
                    m_document = std::move(previous);
                }
            }
            applySettings();
            refreshControls();
            break;
        default:
            break;
    }
}

void MainWindow::refreshControls() {
    if (!m_window) {
        return;
    }
    const std::lock_guard<std::recursive_mutex> guard(m_window->mutex());
    const bool fileSet = !m_context.currentFile().empty();
    const bool playing = m_state == EngineState::Playing || m_state == EngineState::Paused;
    setEnabled(control::kPlay, fileSet && !playing);
    setEnabled(control::kPause, playing);
    setEnabled(control::kStop, playing || m_state == EngineState::Recording);
    setEnabled(control::kSeek, playing);
    setEnabled(control::kRecord, m_state == EngineState::Idle);
    showTime();
    if (m_length >= 1 && m_position >= 0) {
        m_window->setValue(control::kSeek,
                           static_cast<int>(std::int64_t{m_position} * 100 / m_length));
    }
    switch (m_state) {
        case EngineState::Idle:
            setStatus(str::kStatusWaiting, recordModeLabel());
            break;
        case EngineState::Playing:
        case EngineState::Paused:
            setStatus(0, fileNameOf(m_context.currentFile()));
            break;
        case EngineState::Recording:
            setStatus(str::kStatusRecording);
            break;
    }
    if (m_context.settings != nullptr) {
        m_window->setValue(control::kRecordMode,
                           m_context.settings->intOr(setting::kRecordMode, 0));
        m_window->setValue(control::kRecordFormat,
                           m_context.settings->intOr(setting::kRecordFormat, 0));
    }
    if (m_volume.percent() >= 0) {
        m_window->setValue(control::kVolume, m_volume.percent());
    }
    m_window->setValue(control::kMute, m_volume.muted() ? 1 : 0);
    if (m_recordVolume >= 0) {
        m_window->setValue(control::kRecordVolume, m_recordVolume);
    }
    m_window->setValue(control::kLevelMeter, m_levelStyle);
}

void MainWindow::showTime() {
    m_window->setText(control::kTime, timeDisplayText(m_position, m_length, m_remainingTime));
}

void MainWindow::setStatus(int stringId, const std::string& extra) {
    const std::string text = stringId != 0 ? loadString(stringId) + extra : extra;
    m_window->setText(control::kInfo, text);
}

std::string MainWindow::recordModeLabel() const {
    const int mode =
        m_context.settings != nullptr ? m_context.settings->intOr(setting::kRecordMode, 0) : 0;
    return " [" + loadString(mode == 0 ? str::kRecordModeAutomatic : str::kRecordModeManual) + "]";
}

// --- Volumes ----------------------------------------------------------------------------

void MainWindow::setPlaybackVolume(int percent) {
    m_volume.set(percent);
    post(EventCode::SetPlaybackVolume, percent);
    if (m_window) {
        m_window->setValue(control::kMute, m_volume.muted() ? 1 : 0);
        m_window->setValue(control::kVolume, percent);
    }
}

void MainWindow::setRecordVolume(int percent) {
    m_recordVolume = percent;
    post(EventCode::SetRecordVolume, percent);
    if (m_window) {
        m_window->setValue(control::kRecordVolume, percent);
    }
}

void MainWindow::toggleMute() {
    const int percent = m_volume.toggleMute();
    post(EventCode::SetPlaybackVolume, percent);
    if (m_window) {
        m_window->setValue(control::kVolume, percent);
        m_window->setValue(control::kMute, m_volume.muted() ? 1 : 0);
    }
}

void MainWindow::onWheel(int steps) {
    int current = m_volume.percent();
    if (m_window) {
        m_window->readValue(control::kVolume, current);
    }
    setPlaybackVolume(wheelVolume(std::max(current, 0), steps));
}

void MainWindow::onMiddleClick() {
    toggleMute();
}

void MainWindow::onMixerChange() {
    // Many notices come at once while a volume moves; one queued call serves them all.
    if (m_mixerNoticePending.exchange(true, std::memory_order_acq_rel)) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_mixerNoticePending.store(false, std::memory_order_release);
            if (m_window) {
                // The sound server does not say which control moved: both are read again.
                m_window->notifyMixerChange(kPlaybackControl);
                m_window->notifyMixerChange(kRecordingControl);
            }
        },
        Qt::QueuedConnection);
}

void MainWindow::onMixerChange(int controlId) {
    if (m_volumeDragging) {
        return;
    }
    switch (controlId) {
        case kPlaybackControl:
            post(EventCode::GetPlaybackVolume);
            break;
        case kRecordingControl:
            post(EventCode::GetRecordVolume);
            if (m_links.childWindows) {
                m_links.childWindows->recordingLevelChanged();
            }
            break;
        default:
            post(EventCode::Nothing);
            break;
    }
}

// --- User actions -----------------------------------------------------------------------

void MainWindow::onAction(const std::string& name, int code) {
    if (name == control::kWindowStatus) {
        if (m_window && (code == kEnteredWindow || code == kLeftWindow)) {
            m_window->setState(control::kWindowStatus,
                               code == kEnteredWindow ? kWindowStatusInside : kWindowStatusOutside);
        }
        return;
    }
    if (name == control::kQuit && code == kClick) {
        if (m_closing.load(std::memory_order_acquire)) {
            saveWindowPlace();  // the program ends; nothing more to ask
            return;
        }
        post(EventCode::QuitAsk);
        if (m_links.childWindows) {
            m_links.childWindows->cancel();
        }
        return;
    }
    if (name == control::kLogo && (code == kClick || code == kTextClick)) {
        std::string address;
        if (m_window) {
            m_window->readText(control::kLogo, address);
        }
        openAddress(address);
        return;
    }
    if (code == kTextClick) {
        std::string target;
        if (m_window && m_window->readText(name, target) == SkinWindow::kOk) {
            switchWindow(target);
        }
        return;
    }
    if (name == control::kSeek) {
        int percent = 0;
        if (m_window) {
            m_window->readValue(control::kSeek, percent);
        }
        if (code == kSliderMoved) {
            m_seekDragging = true;
            if (m_window && m_length >= 0) {
                m_window->setText(control::kTime, timeDisplayText(seekPreview(m_length, percent),
                                                                  m_length, m_remainingTime));
            }
        } else if (code == kSliderReleased) {
            m_seekDragging = false;
            if (m_length >= 0) {
                post(EventCode::Seek, seekTarget(m_length, percent, m_timeScale));
            }
            m_seekPercent = 0;
        }
        return;
    }
    if (name == control::kVolume || name == control::kRecordVolume) {
        if (code != kSliderMoved && code != kSliderReleased) {
            return;
        }
        const bool playback = name == control::kVolume;
        (playback ? m_volumeDragging : m_recordVolumeDragging) = code == kSliderMoved;
        int percent = 0;
        if (m_window && m_window->readValue(name, percent) == SkinWindow::kOk) {
            if (playback) {
                setPlaybackVolume(percent);
            } else {
                setRecordVolume(percent);
            }
        }
        return;
    }
    if (code != kClick) {
        return;
    }
    if (name == control::kMinimize) {
        if (m_window) {
            m_window->minimise();
        }
    } else if (name == control::kTray) {
        if (m_context.settings != nullptr) {
            m_context.settings->writeBool(setting::kToTray,
                                          !m_context.settings->boolOr(setting::kToTray, false));
        }
        post(EventCode::SettingsChanged);
    } else if (name == control::kRecordMode) {
        const int mode =
            m_context.settings != nullptr && m_context.settings->intOr(setting::kRecordMode, 0) == 0
                ? 1
                : 0;
        if (m_links.setRecordMode) {
            m_links.setRecordMode(mode);
        } else if (m_context.settings != nullptr) {
            m_context.settings->writeInt(setting::kRecordMode, mode);
        }
        post(EventCode::SettingsChanged);
    } else if (name == control::kRecordFormat) {
        if (m_context.settings == nullptr) {
            return;
        }
        // OGG goes to MP3; MP3 and WAVE go to OGG.
        int format = m_context.settings->intOr(setting::kRecordFormat, 0) == 0 ? 1 : 0;
        if (format == 1 &&
            !Mp3Library::probeOrOfferDownload(m_context.programFolder, true, openWithDesktop)) {
            format = 0;
        }
        m_context.settings->writeInt(setting::kRecordFormat, format);
        post(EventCode::SettingsChanged);
    } else if (name == control::kMute) {
        toggleMute();
    } else if (name == control::kPlay) {
        if (!m_context.currentFile().empty() || !selectedFile().empty()) {
            post(EventCode::Play);
        }
    } else if (name == control::kPause) {
        post(EventCode::Pause);
    } else if (name == control::kStop) {
        post(EventCode::Stop);
    } else if (name == control::kRecord) {
        post(EventCode::Record);
    } else if (name == control::kOptions) {
        post(EventCode::OpenWindow, ChildWindows::kOptions);
    } else if (name == control::kRecordList) {
        post(EventCode::OpenWindow, ChildWindows::kRecordList);
    } else if (name == control::kLevelMeter) {
        m_levelStyle = (m_levelStyle + 1) % kLevelStyles;
        m_lastLevel = {};
        if (m_window) {
            m_window->setValue(control::kLevelMeter, m_levelStyle);
        }
        updateLevelTimer();
    } else if (name == control::kHelp) {
        post(EventCode::Help);
    }
}

void MainWindow::onKey(int character) {
    switch (std::tolower(character)) {
        case 'h':
            post(EventCode::Help);
            break;
        case 'l':
            post(EventCode::OpenWindow, ChildWindows::kRecordList);
            break;
        case 'o':
            post(EventCode::OpenWindow, ChildWindows::kOptions);
            break;
        case 'p':
            post(EventCode::Play);
            break;
        case 'r':
            post(EventCode::Record);
            break;
        case 's':
            post(EventCode::Stop);
            break;
        case 'u':
            post(EventCode::Pause);
            break;
        case 'v':
            post(EventCode::VolumeWizard);
            break;
        default:
            break;
    }
}

void MainWindow::onRightButton(const QPoint& globalPosition) {
    if (m_menu) {
        m_menu->close();
    }
    const int recordMode =
        m_context.settings != nullptr ? m_context.settings->intOr(setting::kRecordMode, 0) : 0;
    QMenu* menu =
        createCommandMenu(mainMenuStates(m_state, !m_context.currentFile().empty()), recordMode);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu, &QMenu::triggered, this,
            [this](QAction* action) { onMenuCommand(action->data().toInt(), 0); });
    m_menu = menu;
    menu->popup(globalPosition);
}

void MainWindow::onMenuCommand(int id, std::int64_t lParam) {
    const MenuCommandRoute route = routeMenuCommand(id, lParam);
    if (route.recordMode >= 0) {
        if (m_links.setRecordMode) {
            m_links.setRecordMode(route.recordMode);
        } else if (m_context.settings != nullptr) {
            m_context.settings->writeInt(setting::kRecordMode, route.recordMode);
        }
    }
    if (route.event) {
        post(*route.event);
    } else if (!route.action.empty()) {
        onAction(std::string(route.action), kClick);
    }
}

std::int64_t MainWindow::onMessage(const WindowMessage& message) {
    switch (message.message) {
        case kWmCommand: {
            const int id = static_cast<int>(message.wParam & 0xFFFF);
            if (id == cmd::kExit) {
                // Posting needs no window: the updater's request gets through even when the
                // GUI thread is busy with a dialog.
                post(message.lParam == kExitWithoutQuestion ? EventCode::Quit : EventCode::QuitAsk);
            } else {
                QMetaObject::invokeMethod(
                    this, [this, id, lParam = message.lParam] { onMenuCommand(id, lParam); },
                    Qt::QueuedConnection);
            }
            return 1;
        }
        case kWmShowNormal:
            QMetaObject::invokeMethod(
                this, [this] { performAction("Restore"); }, Qt::QueuedConnection);
            return 1;
        default:
            return 0;
    }
}

// --- Windows, pages and the rest ----------------------------------------------------------

void MainWindow::switchWindow(const std::string& name) {
    if (!m_window || !m_document) {
        return;
    }
    std::shared_ptr<SkinView> view = m_document->window(name);
    if (!view || view.get() == m_window->view()) {
        return;
    }
    if (m_window->replaceView(view) != SkinWindow::kOk) {
        return;
    }
    m_windowMode = view->name();
    m_lastLevel = {};
    refreshControls();
    updateLevelTimer();
}

void MainWindow::openChildWindow(int id) {
    if (m_links.childWindows) {
        m_links.childWindows->open(id);
    }
}

void MainWindow::openAddress(const std::string& text) {
    openWithDesktop(text.empty() ? std::string(kMakerPage) : text);
}

std::string MainWindow::selectedFile() {
    return m_links.childWindows ? m_links.childWindows->selectedRecordFile() : std::string();
}

void MainWindow::performAction(std::string_view action) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, name = std::string(action)] { performAction(name); },
            Qt::QueuedConnection);
        return;
    }
    if (m_links.verbose) {
        consoleLine("ambrin: main window action " + std::string(action));
    }
    if (!m_window) {
        return;
    }
    if (action == "Minimize") {
        m_window->minimise();
    } else if (action == "Restore") {
        m_window->restore();
    } else {
        onAction(std::string(action), kClick);
    }
}

void MainWindow::openManual() {
    ambrin::openManual(m_context, true);
}

void MainWindow::onStartUpdater() {
    ++m_updaterStarts;
    if (m_links.startUpdater) {
        m_links.startUpdater(kUpdateParameter);
    } else {
        startUpdater(m_context.programFolder, kUpdateParameter);
    }
}

void MainWindow::feedLevelMeter() {
    if (!m_window || !m_links.level || m_levelStyle == LevelMeterControl::kOff ||
        !m_window->isVisible() || m_window->minimised()) {
        return;
    }
    const LevelBlock::Snapshot level = m_links.level();
    // A new block comes every quarter second; silence repeats itself. Only a change is drawn.
    if (level.byteCount == m_lastLevel.byteCount &&
        std::equal(level.samples.begin(), level.samples.begin() + level.sampleCount(),
                   m_lastLevel.samples.begin())) {
        if (++m_unchangedLevelTicks == kTicksBeforeQuiet) {
            m_levelTimer.setInterval(kQuietLevelPeriodMs);
        }
        return;
    }
    if (m_unchangedLevelTicks >= kTicksBeforeQuiet) {
        m_levelTimer.setInterval(kLevelPeriodMs);
    }
    m_unchangedLevelTicks = 0;
    m_lastLevel = level;
    m_window->setLevelData(control::kLevelMeter, level.samples.data(), level.sampleCount());
}

void MainWindow::updateLevelTimer() {
    // A hidden or minimised window (the tray, the password) costs no wake-ups at all.
    const bool seen = m_window && m_links.level && m_levelStyle != LevelMeterControl::kOff &&
                      !m_closing.load(std::memory_order_acquire) && m_window->view() != nullptr &&
                      m_window->view()->findControl(control::kLevelMeter) != nullptr &&
                      m_window->isVisible() && !m_window->minimised() && !m_window->isMinimized();
    if (!seen) {
        m_levelTimer.stop();
    } else if (!m_levelTimer.isActive()) {
        m_unchangedLevelTicks = 0;
        m_levelTimer.start(kLevelPeriodMs);
        feedLevelMeter();
    }
}

void MainWindow::saveWindowPlace() {
    if (m_positionSaved || !m_window || m_context.settings == nullptr) {
        return;
    }
    m_positionSaved = true;
    if (!m_window->minimised() && !m_window->isMinimized()) {
        const QPoint at = m_window->created() ? m_window->pos() : m_window->lastPosition();
        char text[64];
        std::snprintf(text, sizeof text, "%d,%d", at.x(), at.y());
        m_context.settings->writeString(setting::kMainWindowPos, text);
        m_context.settings->writeString(setting::kWindowMode, m_windowMode);
    }
    m_context.settings->writeInt(setting::kTimeMode, m_remainingTime ? 1 : 0);
}

}  // namespace ambrin
