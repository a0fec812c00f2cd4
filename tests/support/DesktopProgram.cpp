#include "support/DesktopProgram.h"

#include <X11/Xlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "support/ProgramTools.h"

namespace ambrin::test {

namespace {

// The display xvfb-run gives the test program; each test's private environment clears it.
const std::string g_display = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";

}  // namespace

std::string windowsOf(pid_t pid) {
    return runCommand("for w in $(xdotool search --onlyvisible --pid " + std::to_string(pid) +
                      " 2>/dev/null); do eval $(xdotool getwindowgeometry --shell $w); "
                      "printf '%s\\t%s\\t%s\\t%s\\t%s\\t%s\\n' $w \"$(xdotool "
                      "getwindowname $w)\" $X $Y $WIDTH $HEIGHT; done");
}

std::vector<WindowPlace> windowPlaces(pid_t pid, const std::string& title) {
    std::vector<WindowPlace> places;
    std::istringstream lines(windowsOf(pid));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t name = line.find('\t');
        const std::size_t end = line.find('\t', name + 1);
        if (name == std::string::npos || end == std::string::npos ||
            (!title.empty() && line.substr(name + 1, end - name - 1) != title)) {
            continue;
        }
        WindowPlace place;
        place.id = line.substr(0, name);
        if (std::sscanf(line.c_str() + end + 1, "%d\t%d\t%d\t%d", &place.x, &place.y, &place.width,
                        &place.height) == 4) {
            places.push_back(place);
        }
    }
    return places;
}

WindowPlace placeOf(pid_t pid, const std::string& title, int minWidth, int maxWidth) {
    for (const WindowPlace& place : windowPlaces(pid, title)) {
        if (place.width >= minWidth && place.width <= maxWidth) {
            return place;
        }
    }
    return {};
}

WindowPlace newWindow(pid_t pid, const std::vector<WindowPlace>& known, const std::string& title,
                      std::chrono::milliseconds timeout) {
    WindowPlace found;
    waitFor(
        [&] {
            for (const WindowPlace& place : windowPlaces(pid, title)) {
                if (std::none_of(known.begin(), known.end(),
                                 [&](const WindowPlace& old) { return old.id == place.id; })) {
                    found = place;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

bool hasWindow(pid_t pid, const std::string& title) {
    return windowsOf(pid).find("\t" + title + "\t") != std::string::npos;
}

std::size_t visibleWindows(pid_t pid) {
    return occurrences(windowsOf(pid), "\n");
}

bool windowVisible(const std::string& id) {
    return runCommand("xwininfo -id " + id + " 2>/dev/null").find("IsViewable") !=
           std::string::npos;
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

bool printedAfter(ChildProcess& program, std::size_t mark, const std::string& text,
                  std::chrono::milliseconds timeout) {
    return waitFor([&] { return program.output().find(text, mark) != std::string::npos; }, timeout);
}

std::vector<std::string> screenColumn(int x, int y, int height) {
    // One line a pixel: "0,<row>: (r,g,b)  #RRGGBB  name".
    std::istringstream lines(runCommand("import -window root -crop 1x" + std::to_string(height) +
                                        "+" + std::to_string(x) + "+" + std::to_string(y) +
                                        " -depth 8 txt:-"));
    std::vector<std::string> colours;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t hash = line.find("  #");
        if (line.rfind("0,", 0) == 0 && hash != std::string::npos) {
            colours.push_back(line.substr(hash + 2, 7));
        }
    }
    return colours;
}

std::string screenDigest(const WindowPlace& area) {
    return runCommand("import -window root -crop " + std::to_string(area.width) + "x" +
                      std::to_string(area.height) + "+" + std::to_string(area.x) + "+" +
                      std::to_string(area.y) + " -depth 8 rgb:- | md5sum");
}

bool closeLikeWindowManager(const std::string& id) {
    Display* display = XOpenDisplay(g_display.c_str());
    if (display == nullptr) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(std::stoul(id));
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);  // flushes
    return sent != 0;
}

void DesktopProgramFixture::setUpProgram(const std::string& program,
                                         const std::vector<std::string>& skins) {
    if (g_display.empty()) {
        GTEST_SKIP() << "needs an X display (ctest runs this under xvfb-run)";
    }
    env.setVariable("DISPLAY", g_display);
    env.setVariable("QT_QPA_PLATFORM", std::nullopt);
    const char* language = std::getenv("AMBRIN_TEST_UI_LANG");
    korean = language != nullptr && std::string(language) == "1042";
    env.setVariable("AMBRIN_UI_LANG", korean ? "1042" : "1033");
    // In the sanitizer build the program's toolkit caches (fontconfig) are not leaks.
    env.setVariable("LSAN_OPTIONS", "suppressions=" + std::string(AMBRIN_LSAN_SUPPRESSIONS));
    folder = env.path("opt") + "/";
    ::mkdir(folder.c_str(), 0755);
    ASSERT_TRUE(copyFile(program, folder + "ambrin"));
    const std::string built = program.substr(0, program.rfind('/') + 1);
    for (const std::string& skin : skins) {
        ASSERT_TRUE(copyFile(built + skin, folder + skin, 0644)) << built + skin;
    }
    shots = std::getenv("AMBRIN_SHOT_DIR") != nullptr ? std::getenv("AMBRIN_SHOT_DIR") : "";
}

std::unique_ptr<ChildProcess> DesktopProgramFixture::startTrayer() {
    auto trayer = std::make_unique<ChildProcess>(
        "/usr/bin/trayer",
        std::vector<std::string>{"--edge", "top", "--align", "right", "--widthtype", "pixel",
                                 "--width", "120", "--heighttype", "pixel", "--height", "28"},
        env.path(""));
    EXPECT_TRUE(waitFor([] { return !runCommand("xdotool search --class trayer").empty(); },
                        std::chrono::seconds(20)));
    return trayer;
}

void DesktopProgramFixture::shoot(const std::string& name) const {
    if (!shots.empty()) {
        runCommand("import -window root '" + shots + "/" + name + ".png'");
    }
}

}  // namespace ambrin::test
