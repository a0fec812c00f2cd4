// The main window: its time display, seek, volume and mute arithmetic, and, on the shipped
// skin (offscreen), the child-window requests, the end of the program, the stored position
// and the one updater start.
#include <sys/stat.h>

#include <QApplication>
#include <QTest>
#include <mutex>

#include "app/ChildWindows.h"
#include "app/MainWindow.h"
#include "app/MainWindowRules.h"
#include "app/SkinWindow.h"
#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/ObjectRegistry.h"
#include "core/SettingsStore.h"
#include "platform/MessageBox.h"
#include "support/GuiApplication.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

TEST(MainWindowRules, TimeDisplayShowsElapsedAndRemainingForms) {
    EXPECT_EQ(timeDisplayText(-1, -1, false), "00:00");
    EXPECT_EQ(timeDisplayText(0, 10, false), "00:00");
    EXPECT_EQ(timeDisplayText(65, -1, false), "01:05");
    EXPECT_EQ(timeDisplayText(3599, -1, false), "59:59");
    EXPECT_EQ(timeDisplayText(3600, -1, false), "01:00:00");
    EXPECT_EQ(timeDisplayText(36061, -1, false), "10:01:01");

    // Remaining: length - (position + 1).
    EXPECT_EQ(timeDisplayText(0, 100, true), "-01:39");
    EXPECT_EQ(timeDisplayText(0, 3601, true), "-01:00:00");
    EXPECT_EQ(timeDisplayText(1, 3601, true), "-59:59");
    EXPECT_EQ(timeDisplayText(98, 100, true), "-00:01");
    EXPECT_EQ(timeDisplayText(99, 100, true), "00:00");
    EXPECT_EQ(timeDisplayText(150, 100, true), "00:00");
    // Without a length the remaining mode shows the elapsed time.
    EXPECT_EQ(timeDisplayText(3600, -1, true), "01:00:00");
}

TEST(MainWindowRules, SeekGoesToThePercentOfTheLengthInSecondsOrTenths) {
    // Whole seconds: length × percent / 100, truncated, plus one.
    EXPECT_EQ(seekTarget(200, 50, 0.0), 101);
    EXPECT_EQ(seekTarget(7, 33, 0.0), 3);  // 2.31
    EXPECT_EQ(seekTarget(0, 80, 0.0), 1);
    // The streaming path counts tenths: length × percent / (100 × 0.1).
    EXPECT_EQ(seekTarget(200, 50, 0.1), 1001);
    EXPECT_EQ(seekTarget(7, 33, 0.1), 24);  // 23.1
    EXPECT_EQ(seekTarget(5400, 100, 0.1), 54001);
    // While dragging the display shows whole seconds.
    EXPECT_EQ(seekPreview(7, 33), 2);
    EXPECT_EQ(seekPreview(3600, 100), 3600);
}

TEST(MainWindowRules, WheelStaysWithinZeroToHundredAndMuteGivesTheVolumeBack) {
    EXPECT_EQ(wheelVolume(50, 1), 55);
    EXPECT_EQ(wheelVolume(50, -2), 40);
    EXPECT_EQ(wheelVolume(98, 1), 100);
    EXPECT_EQ(wheelVolume(3, -1), 0);
    EXPECT_EQ(wheelVolume(0, -20), 0);
    EXPECT_EQ(wheelVolume(100, 20), 100);

    PlaybackVolume volume;
    volume.set(60);
    EXPECT_EQ(volume.toggleMute(), 0);
    EXPECT_TRUE(volume.muted());
    volume.set(0);  // the mixer reports the silence: still muted
    EXPECT_TRUE(volume.muted());
    EXPECT_EQ(volume.toggleMute(), 60);
    EXPECT_FALSE(volume.muted());

    // A volume chosen while muted ends the mute.
    volume.toggleMute();
    volume.set(30);
    EXPECT_FALSE(volume.muted());
    EXPECT_EQ(volume.percent(), 30);

    // Muting at 0 and un-muting leaves it un-muted at 0.
    volume.set(0);
    EXPECT_EQ(volume.toggleMute(), 0);
    EXPECT_TRUE(volume.muted());
    EXPECT_EQ(volume.toggleMute(), 0);
    EXPECT_FALSE(volume.muted());
}

TEST(MainWindowRules, UpdaterPutsStagedFilesInPlaceAndStartsTheLauncherSilently) {
    test::TestEnvironment env;
    const std::string folder = env.path("program/");
    ::mkdir(folder.c_str(), 0755);
    // Nothing to start: no message, no crash, just false.
    EXPECT_FALSE(startUpdater(folder, "/update"));

    test::writeFile(folder + "refrex", "old launcher", 0755);
    test::writeFile(folder + "refrex_", "#!/bin/sh\necho \"$@\" > \"$(pwd)/started\"\n", 0644);
    test::writeFile(folder + "libwizard.so", "old library");
    test::writeFile(folder + "libwizard.so_", "new library");
    ASSERT_TRUE(startUpdater(folder, "/update"));
    EXPECT_EQ(test::readFile(folder + "libwizard.so"), "new library");
    struct stat info {};
    EXPECT_NE(::stat((folder + "refrex_").c_str(), &info), 0);
    EXPECT_NE(::stat((folder + "libwizard.so_").c_str(), &info), 0);
    for (int i = 0; i < 100 && test::readFile(folder + "started").empty(); ++i) {
        QTest::qWait(20);
    }
    EXPECT_EQ(test::readFile(folder + "started"), "/update\n");
}

// The record list and options window as the main window sees it.
class ChildWindowsDouble : public ChildWindows {
  public:
    void open(int id) override { calls.push_back("open " + std::to_string(id)); }
    void cancel() override { calls.push_back("cancel"); }
    void recordsChanged() override { calls.push_back("records"); }
    void recordingLevelChanged() override { calls.push_back("level"); }
    std::string selectedRecordFile() const override { return "/records/a.ogg"; }
    std::vector<std::string> calls;
};

// Collects what the window posts to the engine.
class EventLog : public EventSink {
  public:
    int postEvent(std::unique_ptr<EngineEvent> event) override {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::to_string(number(event->code())) + ":" +
                           std::to_string(event->parameter()));
        return 0;
    }
    std::vector<std::string> take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_events, {});
    }

  private:
    std::mutex m_mutex;
    std::vector<std::string> m_events;
};

class MainWindowTest : public test::EnvironmentTest {
  protected:
    MainWindowTest() : settings(env.path("")) {
        test::ensureGuiApplication();
        settings.writeString(setting::kInstallPath, std::string(AMBRIN_SKIN_PACKAGE_DIR) + "/");
        context.settings = &settings;
        context.registry = &registry;
        context.events = &events;
        context.programFolder = env.path("program/");
        setMessagePresenter([](const MessageRequest&) { return kIdOk; });
    }
    ~MainWindowTest() override { setMessagePresenter({}); }

    std::unique_ptr<MainWindow> makeWindow(std::shared_ptr<ChildWindows> children = nullptr) {
        MainWindow::Links links;
        links.childWindows = std::move(children);
        links.updaterDelay = std::chrono::milliseconds(100);
        links.startUpdater = [](const std::string&) { return true; };
        auto window = std::make_unique<MainWindow>(context, std::move(links));
        EXPECT_TRUE(window->start());
        return window;
    }

    // A broadcast as the event thread sends it, then the GUI thread's turn.
    static void broadcast(MainWindow& window, const EngineEvent& event) {
        window.onEvent(event);
        QApplication::processEvents();
    }

    SettingsStore settings;
    ObjectRegistry registry;
    EventLog events;
    AppContext context;
};

TEST_F(MainWindowTest, ChildWindowRequestsReachTheRecordListAndOptionsWindow) {
    auto children = std::make_shared<ChildWindowsDouble>();
    auto window = makeWindow(children);
    ASSERT_NE(window->skinWindow(), nullptr);
    EXPECT_TRUE(registry.contains("MainWindow"));

    // Keys and buttons ask the engine; its broadcast 16 opens the page.
    window->onKey('O');
    window->onKey('l');
    window->onAction("Options", 0);
    window->onMenuCommand(1013, 0);
    EXPECT_EQ(events.take(), (std::vector<std::string>{"16:2", "16:0", "16:2", "16:0"}));
    broadcast(*window, EngineEvent(EventCode::OpenWindow, 2));
    broadcast(*window, EngineEvent(EventCode::OpenWindow, 0));
    broadcast(*window, EngineEvent(EventCode::RecordingSaved));
    window->onMixerChange(MainWindow::kRecordingControl);
    EXPECT_EQ(children->calls, (std::vector<std::string>{"open 2", "open 0", "records", "level"}));
    EXPECT_EQ(window->selectedFile(), "/records/a.ogg");
    EXPECT_EQ(events.take(), (std::vector<std::string>{"13:0"}));

    // "Quit" asks the question and closes the open page as by Cancel.
    children->calls.clear();
    window->onAction("Quit", 0);
    EXPECT_EQ(events.take(), (std::vector<std::string>{"6:0"}));
    EXPECT_EQ(children->calls, (std::vector<std::string>{"cancel"}));
}

TEST_F(MainWindowTest, WithoutChildWindowsTheRequestsDoNothing) {
    auto window = makeWindow();
    broadcast(*window, EngineEvent(EventCode::OpenWindow, 2));
    broadcast(*window, EngineEvent(EventCode::RecordingSaved));
    EXPECT_EQ(window->selectedFile(), "");
}

TEST_F(MainWindowTest, ClosingTheWindowAsksWhileTheQuitBroadcastEndsItWithoutAsking) {
    auto window = makeWindow();
    SkinWindow* skin = window->skinWindow();
    // The window manager's close: the question, and the window stays for the answer.
    skin->close();
    QApplication::processEvents();
    EXPECT_EQ(events.take(), (std::vector<std::string>{"6:0"}));
    EXPECT_TRUE(skin->isVisible());

    // The answer was Yes: the quit broadcast closes it, acknowledged once, no new question,
    // also when the application's own quit closes windows afterwards.
    broadcast(*window, EngineEvent(EventCode::CloseWindows));
    EXPECT_FALSE(skin->isVisible());
    skin->close();
    QApplication::processEvents();
    EXPECT_EQ(events.take(), (std::vector<std::string>{"20:0"}));
    EXPECT_FALSE(registry.contains("MainWindow"));
}

TEST_F(MainWindowTest, PositionIsStoredAtCloseUnlessMinimised) {
    settings.writeString(setting::kMainWindowPos, "100,120");
    {
        auto window = makeWindow();
        EXPECT_EQ(window->skinWindow()->pos(), QPoint(100, 120));
        window->performAction("Minimize");
        window->skinWindow()->move(300, 310);
        broadcast(*window, EngineEvent(EventCode::CloseWindows));
    }
    EXPECT_EQ(settings.stringOr(setting::kMainWindowPos, ""), "100,120");
    {
        auto window = makeWindow();
        window->skinWindow()->move(200, 210);
        broadcast(*window, EngineEvent(EventCode::CloseWindows));
    }
    EXPECT_EQ(settings.stringOr(setting::kMainWindowPos, ""), "200,210");
    EXPECT_EQ(settings.stringOr(setting::kWindowMode, ""), "MainWindow");
}

TEST_F(MainWindowTest, UpdaterStartsOnceAndOnlyWhenAutomaticUpdatesAreOn) {
    settings.writeBool(setting::kAutoUpdateValue, false);
    {
        auto window = makeWindow();
        QTest::qWait(400);
        EXPECT_EQ(window->updaterStarts(), 0);
    }
    settings.writeBool(setting::kAutoUpdateValue, true);
    auto window = makeWindow();
    EXPECT_EQ(window->updaterStarts(), 0);
    test::processEventsUntil([&] { return window->updaterStarts() > 0; });
    // Pointer activity keeps the window's timer busy; still no second start.
    for (int i = 0; i < 8; ++i) {
        QTest::mouseMove(window->skinWindow(), QPoint(20 + i * 10, 20));
        QTest::qWait(60);
    }
    EXPECT_EQ(window->updaterStarts(), 1);
}

TEST_F(MainWindowTest, WheelAndMiddleButtonSetTheVolumeAndMute) {
    auto window = makeWindow();
    broadcast(*window, EngineEvent(EventCode::PlaybackVolume, 97));
    window->onWheel(1);
    window->onWheel(1);
    window->onMiddleClick();
    EXPECT_TRUE(window->playbackVolume().muted());
    window->onMiddleClick();
    window->onWheel(-30);
    EXPECT_EQ(events.take(),
              (std::vector<std::string>{"12:100", "12:100", "12:0", "12:100", "12:0"}));
    int shown = -1;
    window->skinWindow()->readValue("Volume", shown);
    EXPECT_EQ(shown, 0);
}

}  // namespace
}  // namespace ambrin
