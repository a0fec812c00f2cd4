#include "app/EngineController.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

// What the stand-ins saw, in order, shared by all of them.
class Journal {
  public:
    void add(std::string entry) {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(entry));
        m_changed.notify_all();
    }
    std::vector<std::string> entries() const {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    size_t count(const std::string& entry) const {
        const auto all = entries();
        return static_cast<size_t>(std::count(all.begin(), all.end(), entry));
    }
    // Waits until `entry` has been seen `times` times.
    bool waitFor(const std::string& entry, size_t times = 1) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] {
            return static_cast<size_t>(std::count(m_entries.begin(), m_entries.end(), entry)) >=
                   times;
        });
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }

  private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_entries;
};

struct Behaviour {
    bool registerWindow = true;
    bool recorderInitializes = true;
    bool recordingStarts = true;
    bool storeSucceeds = true;
    bool playerOpens = true;
    bool withMixer = true;
    int playbackVolume = 60;
    int recordVolume = 60;
    std::string selectedFile = "/calls/a.wav";
};

class FakeWindow : public MainWindowInterface {
  public:
    FakeWindow(AppContext& context, Journal& journal, const Behaviour& behaviour)
        : m_context(context), m_journal(journal), m_behaviour(behaviour) {}
    bool start() override {
        if (m_behaviour.registerWindow) {
            m_context.registry->registerObject("MainWindow",
                                               std::make_shared<MainWindowObject>(this));
        }
        return true;
    }
    void onEvent(const EngineEvent& event) override {
        std::string entry = "window " + std::to_string(number(event.code()));
        if (event.code() == EventCode::PlaybackVolume || event.code() == EventCode::RecordVolume) {
            entry += "=" + std::to_string(event.parameter());
        }
        m_journal.add(entry);
    }
    std::string selectedFile() override { return m_behaviour.selectedFile; }
    void performAction(std::string_view action) override {
        m_journal.add("action " + std::string(action));
    }
    void openManual() override { m_journal.add("manual"); }

  private:
    AppContext& m_context;
    Journal& m_journal;
    const Behaviour& m_behaviour;
};

class FakeTray : public TrayWindowInterface {
  public:
    explicit FakeTray(Journal& journal) : m_journal(journal) {}
    bool start() override { return true; }
    void onEvent(const EngineEvent& event) override {
        m_journal.add("tray " + std::to_string(number(event.code())));
    }

  private:
    Journal& m_journal;
};

class FakeRecorder : public RecorderInterface {
  public:
    FakeRecorder(Journal& journal, const Behaviour& behaviour)
        : m_journal(journal), m_behaviour(behaviour) {}
    bool initialize(InputLine line) override {
        m_journal.add(line == InputLine::Microphone ? "recorder init microphone"
                                                    : "recorder init line");
        return m_behaviour.recorderInitializes;
    }
    CaptureError lastError() const override { return CaptureError::OpenFailed; }
    bool startRecording() override {
        m_journal.add("recorder start");
        return m_behaviour.recordingStarts;
    }
    void stopRecording() override { m_journal.add("recorder stop"); }
    void close() override { m_journal.add("recorder close"); }
    std::string fileName() const override { return "/calls/20120731/20120731153012.wav"; }

  private:
    Journal& m_journal;
    const Behaviour& m_behaviour;
};

class FakePlayer : public PlayerInterface {
  public:
    FakePlayer(Journal& journal, const Behaviour& behaviour)
        : m_journal(journal), m_behaviour(behaviour) {}
    ~FakePlayer() override { m_journal.add("player freed"); }
    bool open(const std::string& path) override {
        m_journal.add("player open " + path);
        return m_behaviour.playerOpens;
    }
    void play() override { m_journal.add("player play"); }
    void pause() override { m_journal.add("player pause"); }
    void stop() override { m_journal.add("player stop"); }
    void seek(std::chrono::milliseconds position) override {
        m_journal.add(
            "player seek " +
            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(position).count()));
    }
    std::chrono::milliseconds seekUnit() const override { return std::chrono::seconds(1); }

  private:
    Journal& m_journal;
    const Behaviour& m_behaviour;
};

class FakeMixer : public MixerInterface {
  public:
    FakeMixer(Journal& journal, const Behaviour& behaviour)
        : m_journal(journal),
          m_playback(behaviour.playbackVolume),
          m_record(behaviour.recordVolume) {}
    int playbackVolume() override { return m_playback; }
    void setPlaybackVolume(int percent) override {
        m_playback = percent;
        m_journal.add("playback volume " + std::to_string(percent));
    }
    int recordVolume() override { return m_record; }
    void setRecordVolume(int percent) override {
        m_record = percent;
        m_journal.add("record volume " + std::to_string(percent));
    }

  private:
    Journal& m_journal;
    std::atomic<int> m_playback;
    std::atomic<int> m_record;
};

class EngineControllerTest : public test::EnvironmentTest {
  protected:
    EngineControllerTest() {
        env.setVariable("AMBRIN_UI_LANG", "1033");
        settings = std::make_unique<SettingsStore>(env.path("opt") + "/");
        settings->writeBool(setting::kAutoVolume, true);
        context.settings = settings.get();
        context.programFolder = env.path("opt") + "/";
        setMessagePresenter([this](const MessageRequest& request) {
            journal.add("message " + request.text);
            return (request.flags & 0xF) == kMbYesNo ? nextAnswer.load() : kIdOk;
        });
    }
    ~EngineControllerTest() override {
        controller.reset();
        setMessagePresenter({});
    }

    EngineParts parts() {
        EngineParts p;
        p.makeMainWindow = [this](AppContext& c) {
            return std::make_unique<FakeWindow>(c, journal, behaviour);
        };
        p.makeTrayWindow = [this](AppContext&) { return std::make_unique<FakeTray>(journal); };
        p.makeRecorder = [this](AppContext&) {
            return std::make_unique<FakeRecorder>(journal, behaviour);
        };
        p.makePlayer = [this](AppContext&) {
            return std::make_unique<FakePlayer>(journal, behaviour);
        };
        if (behaviour.withMixer) {
            p.makeMixer = [this](AppContext&, MainWindowInterface*) {
                journal.add("mixer created");
                return std::make_unique<FakeMixer>(journal, behaviour);
            };
        }
        p.storeRecording = [this](AppContext&, const std::string& path) {
            journal.add("store " + path);
            return behaviour.storeSucceeds;
        };
        p.runVolumeWizard = [this](AppContext&) { journal.add("wizard shown"); };
        p.sleep = [this](std::chrono::milliseconds duration) {
            journal.add("sleep " + std::to_string(duration.count()));
        };
        return p;
    }

    void startController() {
        controller = std::make_unique<EngineController>(context, parts());
        exitSemaphore = std::make_shared<Semaphore>(0);
        controller->setExitSemaphore(exitSemaphore);
        controller->start();
        settle();
        journal.clear();
    }

    void post(EventCode code, int parameter = 0) {
        controller->postEvent(std::make_unique<EngineEvent>(code, parameter));
    }

    // Waits until every event posted so far has been handled: event 32 is always broadcast.
    void settle() {
        const size_t seen = journal.count("tray 32");
        post(EventCode::SettingsChanged);
        ASSERT_TRUE(journal.waitFor("tray 32", seen + 1));
    }

    // The broadcasts the main window saw, without the settle markers.
    std::vector<std::string> windowEvents() {
        std::vector<std::string> out;
        for (const auto& entry : journal.entries()) {
            if (entry.rfind("window ", 0) == 0 && entry != "window 32") {
                out.push_back(entry.substr(7));
            }
        }
        return out;
    }

    using Strings = std::vector<std::string>;

    Behaviour behaviour;
    Journal journal;
    std::atomic<int> nextAnswer{kIdYes};
    std::unique_ptr<SettingsStore> settings;
    AppContext context;
    std::shared_ptr<Semaphore> exitSemaphore;
    std::unique_ptr<EngineController> controller;
};

TEST_F(EngineControllerTest, RecordingStartsAndStopsWithBroadcastsInOrder) {
    startController();
    post(EventCode::Record);
    post(EventCode::Stop);
    post(EventCode::Stop);  // a surplus stop is harmless
    settle();
    EXPECT_EQ(windowEvents(), (Strings{"27", "33", "24"}));
    EXPECT_EQ(journal.count("tray 27"), 1u);  // the tray sees every broadcast too
    EXPECT_EQ(journal.count("recorder stop"), 1u);
    EXPECT_EQ(journal.count("store /calls/20120731/20120731153012.wav"), 1u);
    EXPECT_EQ(controller->state(), EngineState::Idle);
}

TEST_F(EngineControllerTest, ARecordingThatIsNotStoredBroadcastsOnlyIdle) {
    behaviour.storeSucceeds = false;
    startController();
    post(EventCode::Record);
    post(EventCode::Stop);
    settle();
    EXPECT_EQ(windowEvents(), (Strings{"27", "24"}));
}

TEST_F(EngineControllerTest, AFailedStartWarnsAndStaysIdleWithoutBroadcast) {
    behaviour.recordingStarts = false;
    startController();
    post(EventCode::Record);
    settle();
    EXPECT_EQ(windowEvents(), Strings{});
    EXPECT_EQ(controller->state(), EngineState::Idle);
    EXPECT_EQ(journal.count("message " + loadString(str::kRecordFileFailed)), 1u);
}

TEST_F(EngineControllerTest, PlayPauseResumeAndStopFollowTheStateTable) {
    startController();
    post(EventCode::Play);
    settle();
    EXPECT_EQ(controller->state(), EngineState::Playing);
    EXPECT_EQ(context.currentFile(), "/calls/a.wav");
    EXPECT_EQ(journal.count("sleep 500"), 1u);  // Play holds the engine lock a little longer

    post(EventCode::Record);  // refused while playing
    post(EventCode::Pause);
    settle();
    EXPECT_EQ(controller->state(), EngineState::Paused);
    EXPECT_EQ(journal.count("recorder start"), 0u);

    post(EventCode::Stop);  // from Paused: Idle, but the player stays open
    settle();
    EXPECT_EQ(controller->state(), EngineState::Idle);
    EXPECT_EQ(journal.count("player stop"), 0u);

    post(EventCode::Play);  // resumes the same player
    settle();
    EXPECT_EQ(journal.count("player open /calls/a.wav"), 1u);
    EXPECT_EQ(journal.count("player play"), 2u);

    post(EventCode::Seek, 42);
    post(EventCode::Stop);     // from Playing: the player is stopped and freed
    post(EventCode::Seek, 7);  // no player any more
    settle();
    EXPECT_EQ(journal.count("player seek 42"), 1u);
    EXPECT_EQ(journal.count("player seek 7"), 0u);
    EXPECT_EQ(journal.count("player freed"), 1u);
    EXPECT_EQ(windowEvents(), (Strings{"26", "25", "24", "26", "24"}));
}

TEST_F(EngineControllerTest, RecordWhilePausedRecordsAndPlayWhileRecordingWaits) {
    startController();
    post(EventCode::Play);
    post(EventCode::Pause);
    post(EventCode::Record);
    settle();
    EXPECT_EQ(controller->state(), EngineState::Recording);
    post(EventCode::Play);  // would leave the recording running unseen
    settle();
    EXPECT_EQ(controller->state(), EngineState::Recording);
    EXPECT_EQ(journal.count("player play"), 1u);
    EXPECT_EQ(windowEvents(), (Strings{"26", "25", "27"}));
}

TEST_F(EngineControllerTest, AFileThatDoesNotOpenIsNotPlayed) {
    behaviour.playerOpens = false;
    startController();
    post(EventCode::Play);
    settle();
    EXPECT_EQ(controller->state(), EngineState::Idle);
    EXPECT_EQ(journal.count("player freed"), 1u);
    EXPECT_EQ(windowEvents(), Strings{});
}

TEST_F(EngineControllerTest, EndOfPlaybackReturnsToIdleThenTellsTheWindows) {
    startController();
    post(EventCode::Play);
    post(EventCode::EndOfPlayback);
    settle();
    EXPECT_EQ(windowEvents(), (Strings{"26", "24", "21"}));
    EXPECT_EQ(journal.count("player freed"), 1u);
}

TEST_F(EngineControllerTest, TimeAndFileNoticesPassOnlyInTheRightStates) {
    startController();
    controller->postEvent(std::make_unique<TimeEvent>(0, 0, 1));  // Idle: dropped
    auto opened = std::make_unique<EventListEvent>(EventCode::FileOpened);
    opened->events.push_back(std::make_unique<TextEvent>(EventCode::InfoText, "a.wav"));
    controller->postEvent(std::move(opened));  // Idle: dropped
    post(EventCode::Record);
    controller->postEvent(std::make_unique<TimeEvent>(0, 0, 1));
    controller->postEvent(nullptr);  // a null event is deleted without action
    post(EventCode::Stop);
    post(EventCode::Play);
    opened = std::make_unique<EventListEvent>(EventCode::FileOpened);
    opened->events.push_back(std::make_unique<TextEvent>(EventCode::InfoText, "a.wav"));
    opened->events.push_back(std::make_unique<TimeEvent>(0, 0, 0, 10.0));
    controller->postEvent(std::move(opened));
    settle();
    EXPECT_EQ(windowEvents(), (Strings{"27", "23", "33", "24", "26", "22", "29", "23"}));
}

TEST_F(EngineControllerTest, AQuitAnsweredNoChangesNothing) {
    startController();
    post(EventCode::Record);
    settle();
    nextAnswer = kIdNo;
    post(EventCode::QuitAsk);
    post(EventCode::Stop);
    settle();
    EXPECT_EQ(journal.count("message Do you want to exit?"), 1u);
    EXPECT_TRUE(controller->eventThreadRunning());
    EXPECT_FALSE(exitSemaphore->tryAcquireFor(std::chrono::milliseconds(0)));
    // The stop queued behind the refused quit is still handled, in order.
    EXPECT_EQ(windowEvents(), (Strings{"27", "33", "24"}));
    EXPECT_EQ(journal.count("recorder close"), 0u);
}

TEST_F(EngineControllerTest, QuitStopsClosesBroadcastsAndReleasesTheExit) {
    startController();
    post(EventCode::Record);
    post(EventCode::Quit);  // no question
    ASSERT_TRUE(exitSemaphore->tryAcquireFor(std::chrono::seconds(10)));
    const auto entries = journal.entries();
    const auto at = [&](const std::string& entry) {
        return std::find(entries.begin(), entries.end(), entry) - entries.begin();
    };
    EXPECT_LT(at("recorder stop"), at("recorder close"));
    EXPECT_LT(at("recorder close"), at("window 9"));
    EXPECT_LT(at("window 9"), at("tray 9"));
    EXPECT_EQ(journal.count("message Do you want to exit?"), 0u);

    // Events posted after the event thread ended stay queued and are freed with the queue.
    for (int i = 0; i < 3; ++i) {
        controller->postEvent(
            std::make_unique<TextEvent>(EventCode::WarningText, std::string(100, 'x')));
    }
    post(EventCode::QuitAsk);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(controller->eventThreadRunning());
    EXPECT_EQ(controller->queuedEvents(), 4u);
    controller.reset();  // the sanitizer build reports any event left unfreed
}

TEST_F(EngineControllerTest, StartUpRaisesLowVolumesAndAsksForBothOnce) {
    behaviour.recordVolume = 20;
    behaviour.playbackVolume = 21;
    controller = std::make_unique<EngineController>(context, parts());
    controller->start();
    settle();
    const auto entries = journal.entries();
    EXPECT_EQ(journal.count("record volume 50"), 1u);
    EXPECT_EQ(journal.count("playback volume 50"), 0u);  // 21 % is left alone
    EXPECT_EQ(journal.count("recorder init microphone"), 1u);
    EXPECT_EQ(journal.count("mixer created"), 1u);
    // Events 11 and 13 hand the volumes to the main window only.
    EXPECT_EQ(journal.count("window 30=21"), 1u);
    const auto recordNotices =
        std::count_if(entries.begin(), entries.end(),
                      [](const std::string& e) { return e.rfind("window 31=", 0) == 0; });
    EXPECT_EQ(recordNotices, 1);
    EXPECT_EQ(controller->recordVolume(), 50);
    EXPECT_EQ(journal.count("tray 30"), 0u);
    EXPECT_EQ(journal.count("wizard shown"), 0u);  // "AutoVolume" is set
}

TEST_F(EngineControllerTest, TheVolumeWizardOpensAtStartWhileAutoVolumeIsOff) {
    settings->writeBool(setting::kAutoVolume, false);
    settings->writeInt(setting::kInputSignalMode, 1);
    settings->writeBool(setting::kMinimizeRun, true);
    controller = std::make_unique<EngineController>(context, parts());
    controller->start();
    ASSERT_TRUE(journal.waitFor("wizard shown"));
    settle();
    const auto entries = journal.entries();
    const auto at = [&](const std::string& entry) {
        return std::find(entries.begin(), entries.end(), entry) - entries.begin();
    };
    EXPECT_LT(at("window 31=60"), at("wizard shown"));
    EXPECT_EQ(journal.count("recorder init line"), 1u);
    EXPECT_EQ(journal.count("action Minimize"), 1u);
}

TEST_F(EngineControllerTest, TheMainWindowLookupGivesUpAfterFiveWaits) {
    behaviour.registerWindow = false;
    nextAnswer = kIdNo;
    controller = std::make_unique<EngineController>(context, parts());
    controller->start();
    ASSERT_TRUE(journal.waitFor("message Do you want to exit?"));
    EXPECT_EQ(journal.count("sleep 500"), 5u);
    EXPECT_EQ(journal.count("mixer created"), 0u);
    EXPECT_EQ(controller->playbackVolume(), -1);
}

TEST_F(EngineControllerTest, AnAudioDeviceThatFailsEndsTheProgramWithoutAQuestion) {
    behaviour.recorderInitializes = false;
    controller = std::make_unique<EngineController>(context, parts());
    exitSemaphore = std::make_shared<Semaphore>(0);
    controller->setExitSemaphore(exitSemaphore);
    controller->start();
    ASSERT_TRUE(exitSemaphore->tryAcquireFor(std::chrono::seconds(10)));
    EXPECT_EQ(journal.count("message Fail to Initialize Audio Device. [30]"), 1u);
    EXPECT_EQ(journal.count("message Do you want to exit?"), 0u);
}

TEST_F(EngineControllerTest, ManyProducersEveryEventHandledOnce) {
    startController();
    constexpr int kProducers = 4;
    constexpr int kEach = 200;
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) {
                post(EventCode::OpenWindow, 2);
            }
        });
    }
    for (auto& producer : producers) {
        producer.join();
    }
    settle();
    EXPECT_EQ(journal.count("window 16"), static_cast<size_t>(kProducers * kEach));
    EXPECT_EQ(controller->queuedEvents(), 0u);
}

}  // namespace
}  // namespace ambrin
