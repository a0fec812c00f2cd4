#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/AudioLine.h"
#include "support/TestEnvironment.h"

// Driving the real program on the X server that xvfb-run gives the test: its windows as
// xdotool sees them, waiting for them and for what it prints, screenshots, the tray host.
namespace ambrin::test {

// A visible window: its X id and where it is on the screen.
struct WindowPlace {
    std::string id;
    int x = -1;
    int y = -1;
    int width = 0;
    int height = 0;

    bool found() const { return width > 0; }
    // "x y" of a point inside, for xdotool mousemove.
    std::string at(int dx, int dy) const {
        return std::to_string(x + dx) + " " + std::to_string(y + dy);
    }
    std::string centre() const { return at(width / 2, height / 2); }
};

// Visible windows of a process: "id<TAB>name<TAB>x<TAB>y<TAB>w<TAB>h" a line.
std::string windowsOf(pid_t pid);
// The same, parsed; only those titled `title` when it is not empty.
std::vector<WindowPlace> windowPlaces(pid_t pid, const std::string& title = {});
// The first visible window of `pid` titled `title` that is `minWidth` to `maxWidth` wide.
WindowPlace placeOf(pid_t pid, const std::string& title, int minWidth = 0, int maxWidth = 100000);
// A visible window of `pid` whose id is none of `known`'s, once there is one; titled `title`
// when that is not empty (a tool tip or a menu has no title).
WindowPlace newWindow(pid_t pid, const std::vector<WindowPlace>& known,
                      const std::string& title = {},
                      std::chrono::milliseconds timeout = std::chrono::seconds(10));
bool hasWindow(pid_t pid, const std::string& title);
std::size_t visibleWindows(pid_t pid);
// The window is still mapped (not closed or hidden).
bool windowVisible(const std::string& id);

// Looks every 100 ms until `done` holds; false after the time.
bool waitFor(const std::function<bool()>& done,
             std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Waits for `text` in what the program printed after its first `mark` characters.
bool printedAfter(ChildProcess& program, std::size_t mark, const std::string& text,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The colours of `height` screen pixels from (x, y) down, as "#RRGGBB" each.
std::vector<std::string> screenColumn(int x, int y, int height);
// A digest of a screen rectangle's pixels: equal digests, equal pictures.
std::string screenDigest(const WindowPlace& area);
// What a window manager's close box does: WM_DELETE_WINDOW sent to the window.
bool closeLikeWindowManager(const std::string& id);

// A test of the program started from its own folder on the X server of xvfb-run, with the
// test line of the private sound server. AMBRIN_TEST_UI_LANG=1042 runs it in Korean (English
// by default); AMBRIN_SHOT_DIR=folder keeps a screenshot of every step there.
class DesktopProgramFixture : public EnvironmentTest {
  protected:
    // Skips the test without a display. Copies the built `program` and the skin packages
    // named in `skins` (found beside it) into a new program folder.
    void setUpProgram(const std::string& program, const std::vector<std::string>& skins);

    // trayer, the notification area, along the top right edge.
    std::unique_ptr<ChildProcess> startTrayer();

    const std::string& title(const std::string& english, const std::string& inKorean) const {
        return korean ? inKorean : english;
    }
    // The whole screen into AMBRIN_SHOT_DIR/name.png.
    void shoot(const std::string& name) const;

    bool korean = false;
    std::string folder;  // the program folder, with a slash at the end
    std::string shots;
    AudioLine line{env};
};

}  // namespace ambrin::test
