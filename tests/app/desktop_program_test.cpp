// The desktop program under a real X server with a real notification area (trayer),
// driven by real input (xdotool): the password prompt behind the tray icon and a second
// start, the recording-information window during a call, and Exit from the tray menu.
// Run by ctest under xvfb-run.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include "core/SettingsStore.h"
#include "recorder/Recorder.h"
#include "support/AudioLine.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

// The display xvfb-run gives the test program; each test's private environment clears it.
const std::string g_display = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";

class DesktopProgramTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        if (g_display.empty()) {
            GTEST_SKIP() << "needs an X display (ctest runs this under xvfb-run)";
        }
        env.setVariable("DISPLAY", g_display);
        env.setVariable("QT_QPA_PLATFORM", std::nullopt);
        env.setVariable("AMBRIN_UI_LANG", "1033");
        // In the sanitizer build the program's toolkit caches (fontconfig) are not leaks.
        env.setVariable("LSAN_OPTIONS", "suppressions=" + std::string(AMBRIN_LSAN_SUPPRESSIONS));
        folder = env.path("opt") + "/";
        ::mkdir(folder.c_str(), 0755);
        ASSERT_TRUE(test::copyFile(AMBRIN_BIN, folder + "ambrin"));
        const std::string built = AMBRIN_BIN;
        const std::string skin = "Ambrin_Large.VSK";
        ASSERT_TRUE(test::copyFile(built.substr(0, built.rfind('/') + 1) + skin, folder + skin));
        shots = std::getenv("AMBRIN_SHOT_DIR") != nullptr ? std::getenv("AMBRIN_SHOT_DIR") : "";
    }

    // Windows of a process: "id<TAB>name<TAB>x<TAB>y<TAB>w<TAB>h" a line.
    static std::string windowsOf(pid_t pid) {
        return test::runCommand("for w in $(xdotool search --onlyvisible --pid " +
                                std::to_string(pid) +
                                " 2>/dev/null); do eval $(xdotool getwindowgeometry --shell $w); "
                                "printf '%s\\t%s\\t%s\\t%s\\t%s\\t%s\\n' $w \"$(xdotool "
                                "getwindowname $w)\" $X $Y $WIDTH $HEIGHT; done");
    }

    static bool waitFor(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = 10s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(100ms);
        }
        return true;
    }

    static bool hasWindow(pid_t pid, const std::string& title) {
        return windowsOf(pid).find("\t" + title + "\t") != std::string::npos;
    }

    void shoot(const std::string& name) {
        if (!shots.empty()) {
            test::runCommand("import -window root '" + shots + "/" + name + ".png'");
        }
    }

    std::string folder;
    std::string shots;
    test::AudioLine line{env};
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
    ChildProcess trayer("/usr/bin/trayer",
                        {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                         "120", "--heighttype", "pixel", "--height", "28"},
                        env.path(""));
    ASSERT_TRUE(waitFor([] { return !test::runCommand("xdotool search --class trayer").empty(); }));

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
    ASSERT_TRUE(waitFor([&] { return hasWindow(program.pid(), "Ambrin+ Recording Information"); }));
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

}  // namespace
}  // namespace ambrin
