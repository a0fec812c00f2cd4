// The desktop program under a real X server with a real notification area (trayer),
// driven by real input (xdotool): the first start's volume wizard, a call recorded by
// itself into the skinned main window with the information window picking a customer,
// playback and seeking with the skin's controls, the right-button menu in every state, the
// password prompt behind the tray icon and a second start, and Exit from the tray menu.
// Run by ctest under xvfb-run. AMBRIN_SHOT_DIR=folder takes a screenshot of every step;
// AMBRIN_TEST_UI_LANG=1042 runs it in Korean (English by default).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>

#include "core/SettingsStore.h"
#include "recorder/Recorder.h"
#include "support/AudioLine.h"
#include "support/DesktopProgram.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

using Place = test::WindowPlace;
using test::hasWindow;
using test::placeOf;
using test::printedAfter;
using test::visibleWindows;
using test::waitFor;
using test::windowsOf;

class DesktopProgramTest : public test::DesktopProgramFixture {
  protected:
    void SetUp() override { setUpProgram(AMBRIN_BIN, {"Ambrin_Large.VSK"}); }
};

TEST_F(DesktopProgramTest, PasswordSecondStartInformationWindowAndExitFromTheTray) {
    ASSERT_TRUE(line.available());
    {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kTimeOfCallEnd, 2);
        store.writeInt(setting::kMinimumRecordTime, 0);
        store.writeBool(setting::kAutoVolume, true);
        store.writeBool(setting::kUsePassword, true);
        store.writeString(setting::kPassword, "Abc 123");
    }
    const auto trayer = startTrayer();

    ChildProcess program(folder + "ambrin", {"--verbose"}, env.path(""));
    ASSERT_TRUE(program.waitForOutput("event 31", 15s)) << program.errors();

    // The icon: the program's one visible window, embedded in trayer's panel.
    std::string icon;
    ASSERT_TRUE(waitFor([&] { return hasWindow(program.pid(), "Ambrin+"); }))
        << windowsOf(program.pid());
    icon = windowsOf(program.pid());
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(std::sscanf(icon.substr(icon.find("Ambrin+\t") + 8).c_str(), "%d\t%d\t%d\t%d", &x, &y,
                          &w, &h),
              4)
        << icon;
    const std::string center = std::to_string(x + w / 2) + " " + std::to_string(y + h / 2);
    shoot("01-tray");

    // A password: no menu on the right button.
    test::runCommand("xdotool mousemove " + center + " click 3");
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(test::occurrences(windowsOf(program.pid()), "\n"), 1u) << windowsOf(program.pid());

    // A double click asks for it; a wrong one is refused with a message.
    test::runCommand("xdotool mousemove " + center + " click --repeat 2 --delay 60 1");
    ASSERT_TRUE(waitFor([&] {
        return test::occurrences(windowsOf(program.pid()), "Ambrin+\t") == 2;
    })) << windowsOf(program.pid());
    shoot("02-password");
    test::runCommand("xdotool type --delay 20 'abc 123' && xdotool key Return");
    ASSERT_TRUE(
        waitFor([&] { return test::occurrences(windowsOf(program.pid()), "Ambrin+\t") == 2; }));
    std::this_thread::sleep_for(300ms);
    shoot("03-wrong-password");
    test::runCommand("xdotool key Return");  // closes "Invalid password."
    ASSERT_TRUE(
        waitFor([&] { return test::occurrences(windowsOf(program.pid()), "Ambrin+\t") == 1; }));
    EXPECT_FALSE(program.waitForOutput("main window action Restore", 0ms));

    // A second start wakes the first, which asks again; the right password restores.
    ChildProcess second(folder + "ambrin", {}, env.path(""));
    EXPECT_EQ(second.wait(15s), 0) << second.output() << second.errors();
    ASSERT_TRUE(
        waitFor([&] { return test::occurrences(windowsOf(program.pid()), "Ambrin+\t") == 2; }));
    test::runCommand("xdotool type --delay 20 'Abc 123' && xdotool key Return");
    ASSERT_TRUE(program.waitForOutput("main window action Restore", 10s)) << program.output();

    // A call: the information window opens by itself; the name typed goes with the record.
    signals::Samples call = signals::noise(1.0, 200, 3);
    signals::append(call, signals::tone(350, 2.0, 14000));
    ASSERT_TRUE(line.write(call));
    ASSERT_TRUE(program.waitForOutput("event 27 recording", 10s)) << program.output();
    ASSERT_TRUE(waitFor([&] {
        return hasWindow(program.pid(),
                         title("Ambrin+ Recording Information", "Ambrin+ 녹음 정보"));
    }));
    test::runCommand(
        "xdotool type --delay 20 'Kim' && xdotool key Tab && xdotool type --delay 20 "
        "'010-1234-5678'");
    shoot("04-information");
    test::runCommand("xdotool key Return");
    ASSERT_TRUE(program.waitForOutput("event 33 recording-saved", 10s)) << program.output();
    for (int i = 0; i < 40 && !program.waitForOutput("event 24 idle", 0ms); ++i) {
        ASSERT_TRUE(line.write(signals::silence(0.5)));
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(program.waitForOutput("event 24 idle", 5s)) << program.output();
    const std::string row =
        test::sqliteQuery(folder + "Ambrin.od2", "select Name, CID, FileName from RecordInfo");
    EXPECT_EQ(row.substr(0, row.find('|', row.find('|') + 1)), "Kim|010-1234-5678") << row;
    EXPECT_NE(row.find("/Kim_"), std::string::npos) << row;

    // Without the password the tray menu is there; its Exit asks first.
    SettingsStore(folder).writeBool(setting::kUsePassword, false);
    const std::size_t shown = test::occurrences(windowsOf(program.pid()), "\n");
    const std::size_t titled = test::occurrences(windowsOf(program.pid()), "Ambrin+\t");
    test::runCommand("xdotool mousemove " + center + " click 3");
    ASSERT_TRUE(
        waitFor([&] { return test::occurrences(windowsOf(program.pid()), "\n") == shown + 1; }));
    shoot("05-menu");
    test::runCommand("xdotool key x");
    ASSERT_TRUE(waitFor(
        [&] { return test::occurrences(windowsOf(program.pid()), "Ambrin+\t") == titled + 1; }));
    shoot("06-exit-question");
    test::runCommand("xdotool key Return");
    EXPECT_EQ(program.wait(15s), 0) << program.output() << program.errors();
}

// Where the large skin's controls are in its main window.
constexpr int kPlayX = 96;
constexpr int kPlayY = 204;
constexpr int kSeekY = 160;
constexpr int kSeekStartX = 24;  // the thumb at 0 %
constexpr int kMainWindowWidth = 480;

TEST_F(DesktopProgramTest, FirstStartCallWithCustomerPlaybackSeekMenusAndExit) {
    ASSERT_TRUE(line.available());
    {
        SettingsStore store(folder);
        store.writeBool(setting::kAutoVolume, false);  // the first start: the volume wizard
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kTimeOfCallEnd, 2);
        store.writeInt(setting::kMinimumRecordTime, 0);
        store.writeBool(setting::kToTray, true);
        store.writeString(setting::kMainWindowPos, "10,40");
        store.writeString(setting::kMemoNotePos, "530,120");
    }
    const auto trayer = startTrayer();
    ChildProcess program(folder + "ambrin", {"--verbose"}, env.path(""));
    const pid_t pid = program.pid();
    ASSERT_TRUE(program.waitForOutput("event 31", 15s)) << program.errors();
    const std::string wizard = title("Volume Control Wizard", "볼륨설정 마법사");
    ASSERT_TRUE(waitFor([&] { return hasWindow(pid, wizard); })) << windowsOf(pid);
    shoot("10-volume-wizard");
    test::runCommand("xdotool key Escape");
    ASSERT_TRUE(waitFor([&] { return !hasWindow(pid, wizard); })) << windowsOf(pid);
    ASSERT_EQ(test::sqliteQuery(folder + "Ambrin.od2",
                                "insert into UserInfo values ('Park', '02-555-0101', 'Tavix', "
                                "'Seoul', '', ''); select count(*) from UserInfo"),
              "1\n");

    const Place main = placeOf(pid, "Ambrin+", kMainWindowWidth);
    ASSERT_EQ(main.x, 10) << windowsOf(pid);
    ASSERT_EQ(main.y, 40) << windowsOf(pid);
    // The right-button menu; `name` its picture; the menu stays open.
    const auto openMenu = [&](const std::string& name) {
        const std::size_t before = visibleWindows(pid);
        test::runCommand("xdotool mousemove " + main.at(300, 100) + " click 3");
        ASSERT_TRUE(waitFor([&] { return visibleWindows(pid) == before + 1; })) << windowsOf(pid);
        shoot(name);
    };
    const auto closeMenu = [&] {
        const std::size_t before = visibleWindows(pid);
        test::runCommand("xdotool key Escape");
        ASSERT_TRUE(waitFor([&] { return visibleWindows(pid) == before - 1; }));
    };
    shoot("11-idle");
    openMenu("12-menu-idle");
    closeMenu();

    // A call: the recording starts by itself, the information window opens, time counts.
    signals::Samples call = signals::noise(1.0, 200, 3);
    signals::append(call, signals::tone(350, 6.0, 14000));
    signals::append(call, signals::silence(4.0));
    // In real time, so that the recording's clock runs while the window is watched.
    std::thread caller([&] { line.write(call, true); });
    struct Joiner {
        std::thread& thread;
        ~Joiner() {
            if (thread.joinable())
                thread.join();
        }
    } joiner{caller};
    ASSERT_TRUE(program.waitForOutput("event 27 recording", 10s)) << program.output();
    const std::string information = title("Ambrin+ Recording Information", "Ambrin+ 녹음 정보");
    ASSERT_TRUE(waitFor([&] { return hasWindow(pid, information); })) << windowsOf(pid);
    ASSERT_TRUE(program.waitForOutput("event 23 time 0:0:2", 10s)) << program.output();
    shoot("13-recording");
    openMenu("14-menu-recording");
    closeMenu();

    // The customer picked from the Name list fills in the rest; OK.
    const Place dialog = placeOf(pid, information);
    test::runCommand("xdotool mousemove " + dialog.at(dialog.width - 28, 55) + " click 1");
    std::this_thread::sleep_for(500ms);
    test::runCommand("xdotool key Down Return");
    std::this_thread::sleep_for(300ms);
    shoot("15-customer");
    test::runCommand("xdotool mousemove " + dialog.at(dialog.width - 143, dialog.height - 27) +
                     " click 1");  // OK
    ASSERT_TRUE(waitFor([&] { return !hasWindow(pid, information); })) << windowsOf(pid);
    // The call's own ending first: a second writer on the line would cut the tone into pieces
    // that a slow build hears as a second call.
    caller.join();
    for (int i = 0; i < 60 && !program.waitForOutput("event 24 idle", 0ms); ++i) {
        ASSERT_TRUE(line.write(signals::silence(0.5)));
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(program.waitForOutput("event 24 idle", 5s)) << program.output();
    const std::string row = test::sqliteQuery(
        folder + "Ambrin.od2", "select Name, CID, Organize, FileName, TotalTime from RecordInfo");
    EXPECT_EQ(row.substr(0, row.find("|/")), "Park|02-555-0101|Tavix") << row;
    EXPECT_NE(row.find("/Park_"), std::string::npos) << row;

    // The skin's Play: the time counts; dragging Seek moves on.
    shoot("16-stored");
    std::size_t mark = program.output().size();
    test::runCommand("xdotool mousemove " + main.at(kPlayX, kPlayY) + " click 1");
    ASSERT_TRUE(printedAfter(program, mark, "event 26 playing")) << program.output();
    ASSERT_TRUE(printedAfter(program, mark, "event 23 time 0:0:1", 5s)) << program.output();
    std::this_thread::sleep_for(300ms);
    shoot("17-playing");
    mark = program.output().size();
    test::runCommand("xdotool mousemove " + main.at(kSeekStartX, kSeekY) +
                     " mousedown 1 mousemove " + main.at(kSeekStartX + 150, kSeekY) +
                     " sleep 0.2 mousemove " + main.at(kSeekStartX + 330, kSeekY) +
                     " sleep 0.2 mouseup 1");
    // Without the seek, five seconds would take about four more seconds to come.
    const auto reached = [&](int seconds) {
        for (int s = seconds; s < 60; ++s) {
            if (program.output().find("event 23 time 0:0:" + std::to_string(s) + " ", mark) !=
                std::string::npos) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(waitFor([&] { return reached(5); }, 2500ms)) << program.output();
    mark = program.output().size();
    openMenu("18-menu-playing");
    test::runCommand("xdotool key u");  // Pause, enabled while playing
    ASSERT_TRUE(printedAfter(program, mark, "event 25 paused", 5s)) << program.output();
    std::this_thread::sleep_for(300ms);
    mark = program.output().size();
    openMenu("19-menu-paused");
    test::runCommand("xdotool key s");  // Stop, enabled while paused
    ASSERT_TRUE(printedAfter(program, mark, "event 24 idle", 5s)) << program.output();
    std::this_thread::sleep_for(300ms);
    shoot("20-stopped");

    // Exit from the tray menu asks first; Yes ends the program normally.
    const Place icon = placeOf(pid, "Ambrin+", 1, kMainWindowWidth - 1);
    ASSERT_GT(icon.width, 0) << windowsOf(pid);
    const std::size_t titled = test::occurrences(windowsOf(pid), "Ambrin+\t");
    test::runCommand("xdotool mousemove " + icon.centre() + " click 3");
    ASSERT_TRUE(waitFor([&] { return visibleWindows(pid) == 3; })) << windowsOf(pid);
    shoot("21-tray-menu");
    test::runCommand("xdotool key x");
    ASSERT_TRUE(waitFor([&] {
        return test::occurrences(windowsOf(pid), "Ambrin+\t") == titled + 1;
    })) << windowsOf(pid);
    shoot("22-exit-question");
    test::runCommand("xdotool key Return");
    EXPECT_EQ(program.wait(15s), 0) << program.output() << program.errors();
}

}  // namespace
}  // namespace ambrin
