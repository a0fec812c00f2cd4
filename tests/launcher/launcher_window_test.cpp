// The launcher as the user meets it: the real program on a private X server (Xvfb), driven
// with real pointer input (xdotool) and looked at through the X server itself (its shape,
// its stacking, its pixels). Also its command line without a display: "/update" without the
// update server, and a launcher without its library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "launcher/PcxImage.h"
#include "support/PrivateXServer.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

// Xlib last: its macros clash with names in the headers above.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
// clang-format on
#undef Bool
#undef Status
#undef None

namespace ambrin::launcher {

std::string xDisplay;  // the private server's, set by main()

namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

// What the test needs of the X server: windows by title, their shape, place, stacking and
// pixels.
class XServer {
  public:
    XServer() : m_display(XOpenDisplay(xDisplay.c_str())) {}
    Display* display() const { return m_display.get(); }

    // The viewable top-level window with this title, or 0.
    Window find(const std::string& title) const {
        Window root = DefaultRootWindow(display());
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (XQueryTree(display(), root, &root, &parent, &children, &count) == 0) {
            return 0;
        }
        for (unsigned i = 0; i < count && found == 0; ++i) {
            char* name = nullptr;
            XWindowAttributes attributes;
            if (XFetchName(display(), children[i], &name) != 0 && name != nullptr) {
                if (title == name && XGetWindowAttributes(display(), children[i], &attributes) &&
                    attributes.map_state == IsViewable) {
                    found = children[i];
                }
                XFree(name);
            }
        }
        XFree(children);
        return found;
    }

    Window waitFor(const std::string& title, std::chrono::milliseconds timeout = 15s) const {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            if (Window window = find(title)) {
                return window;
            }
            std::this_thread::sleep_for(50ms);
        }
        return 0;
    }

    // The window's top-left corner on the screen.
    QPoint place(Window window) const {
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(display(), window, DefaultRootWindow(display()), 0, 0, &x, &y,
                              &child);
        return {x, y};
    }

    // Top-level windows from the bottom of the stack to its top.
    std::vector<Window> stack() const {
        Window root = DefaultRootWindow(display());
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display(), root, &root, &parent, &children, &count);
        std::vector<Window> windows(children, children + count);
        XFree(children);
        return windows;
    }

    bool above(Window upper, Window lower) const {
        const auto windows = stack();
        const auto u = std::find(windows.begin(), windows.end(), upper);
        const auto l = std::find(windows.begin(), windows.end(), lower);
        return u != windows.end() && l != windows.end() && u > l;
    }

    // The window's bounding shape as rectangles in its own coordinates.
    std::vector<XRectangle> shape(Window window) const {
        int count = 0;
        int ordering = 0;
        XRectangle* rects =
            XShapeGetRectangles(display(), window, ShapeBounding, &count, &ordering);
        std::vector<XRectangle> out(rects, rects + count);
        XFree(rects);
        return out;
    }

    QImage pixels(Window window, int width, int height) const {
        XSync(display(), False);
        XImage* image = XGetImage(display(), window, 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        QImage out(width, height, QImage::Format_RGB32);
        for (int y = 0; image != nullptr && y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                out.setPixel(x, y, static_cast<QRgb>(XGetPixel(image, x, y)) | 0xFF000000u);
            }
        }
        if (image != nullptr) {
            XDestroyImage(image);
        }
        return out;
    }

  private:
    std::unique_ptr<Display, DisplayCloser> m_display;
};

bool inside(const std::vector<XRectangle>& rects, int x, int y) {
    for (const XRectangle& r : rects) {
        if (x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height) {
            return true;
        }
    }
    return false;
}

PcxImage shippedShape() {
    const std::string file = test::readFile(LAUNCHER_ART "/REGION.pcx");
    auto shape = PcxImage::read(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    if (!shape) {
        ADD_FAILURE() << "REGION.pcx cannot be read";
        std::abort();
    }
    return *shape;
}

// The launcher started from the build, where libwizard.so lies beside it.
class LauncherWindowTest : public test::EnvironmentTest {
  protected:
    XServer x;
    std::vector<std::unique_ptr<ChildProcess>> launchers;

    void SetUp() override {
        ASSERT_NE(x.display(), nullptr);
        env.setVariable("DISPLAY", xDisplay);
        env.setVariable("QT_QPA_PLATFORM", "xcb");
        // The sanitizer build: the toolkit's process-long caches are not leaks of ours.
        env.setVariable("LSAN_OPTIONS", "suppressions=" + std::string(AMBRIN_LSAN_SUPPRESSIONS));
        // Nothing to update: the installed program is not there.
        env.setVariable("AMBRIN_UPDATE_HOST", "127.0.0.1:1");
    }

    ChildProcess& start(const std::vector<std::string>& arguments = {}) {
        launchers.push_back(std::make_unique<ChildProcess>(REFREX_BIN, arguments, env.root()));
        return *launchers.back();
    }

    Window startWindow() {
        ChildProcess& launcher = start();
        const Window window = x.waitFor("AutoRun");
        EXPECT_NE(window, 0u) << launcher.errors();
        return window;
    }

    void saveLook(Window window, const QImage& art, const std::string& name) {
        // Outside the shape the picture shows what is behind the window: leave it clear.
        const PcxImage shape = shippedShape();
        QImage look =
            x.pixels(window, art.width(), art.height()).convertToFormat(QImage::Format_ARGB32);
        for (int yy = 0; yy < look.height(); ++yy) {
            for (int xx = 0; xx < look.width(); ++xx) {
                if (shape.bit(xx, yy)) {
                    look.setPixel(xx, yy, 0);
                }
            }
        }
        // `make screenshots` asks for them in the documentation's folder.
        const char* chosen = std::getenv("AMBRIN_LAUNCHER_SCREENSHOTS");
        const std::string folder = chosen != nullptr ? chosen : LAUNCHER_SCREENSHOTS;
        std::filesystem::create_directories(folder);
        look.save(QString::fromStdString(folder + "/" + name + ".png"));
    }
};

TEST_F(LauncherWindowTest, WindowIsCutToItsShapeImage) {
    const Window window = startWindow();
    ASSERT_NE(window, 0u);
    const PcxImage shape = shippedShape();
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(x.display(), window, &attributes));
    EXPECT_EQ(attributes.width, shape.width());
    EXPECT_EQ(attributes.height, shape.height());
    const auto rects = x.shape(window);
    ASSERT_FALSE(rects.empty());
    int cut = 0;
    for (int yy = 0; yy < shape.height(); ++yy) {
        for (int xx = 0; xx < shape.width(); ++xx) {
            ASSERT_EQ(inside(rects, xx, yy), !shape.bit(xx, yy)) << "pixel " << xx << "," << yy;
            cut += shape.bit(xx, yy) ? 1 : 0;
        }
    }
    EXPECT_GT(cut, 0);
    // It is centred on the 1024 × 768 screen.
    EXPECT_EQ(x.place(window), QPoint((1024 - shape.width()) / 2, (768 - shape.height()) / 2));
}

// Normal, under the pointer and pressed, in both languages: the window shows the picture of
// each look where the button is, and the pictures go to the screenshot folder.
TEST_F(LauncherWindowTest, ButtonsShowTheirHoverAndPressedPictures) {
    for (const std::string language : {"en", "ko"}) {
        SCOPED_TRACE(language);
        env.setVariable("AMBRIN_UI_LANG", language == "en" ? "1033" : "1042");
        const std::string art = LAUNCHER_ART "/" + language + "/";
        const QImage background(QString::fromStdString(art + "BACKGROUND.png"));
        const QImage focus(QString::fromStdString(art + "FOCUS.png"));
        const QImage select(QString::fromStdString(art + "SELECT.png"));
        const Window window = startWindow();
        ASSERT_NE(window, 0u);
        const QPoint corner = x.place(window);
        // The ReadMe button (303,115 181×42) and a point inside it.
        const QRect readMe(303, 115, 181, 42);
        const auto shows = [&](const QImage& picture) {
            const QImage now = x.pixels(window, background.width(), background.height());
            return now.copy(readMe) == picture.copy(readMe).convertToFormat(QImage::Format_RGB32);
        };
        const auto waitUntilShows = [&](const QImage& picture) {
            for (int i = 0; i < 100 && !shows(picture); ++i) {
                std::this_thread::sleep_for(30ms);
            }
            return shows(picture);
        };
        xdotool("mousemove " + std::to_string(corner.x() + 5) + " " +
                std::to_string(corner.y() + 130));
        ASSERT_TRUE(waitUntilShows(background));
        saveLook(window, background, "launcher-normal-" + language);
        xdotool("mousemove " + std::to_string(corner.x() + 390) + " " +
                std::to_string(corner.y() + 136));
        EXPECT_TRUE(waitUntilShows(focus));
        saveLook(window, focus, "launcher-hover-" + language);
        xdotool("mousedown 1");
        EXPECT_TRUE(waitUntilShows(select));
        saveLook(window, select, "launcher-pressed-" + language);
        xdotool("mouseup 1");
        EXPECT_TRUE(waitUntilShows(focus));
        // Exit closes the window and ends the launcher.
        xdotool("mousemove " + std::to_string(corner.x() + 392) + " " +
                std::to_string(corner.y() + 228) + " click 1");
        EXPECT_EQ(launchers.back()->wait(10s), 0) << launchers.back()->errors();
    }
}

// Explorer, ReadMe and Manual hand the folder and the files to the desktop (xdg-open), which
// opens them with the user's chosen applications; with nothing for PDF files the Manual
// button says what to install.
TEST_F(LauncherWindowTest, ExplorerReadMeAndManualOpenThroughTheDesktop) {
    const std::string folder = env.path("medium/");
    for (const std::string& made :
         {folder + "_eng", env.path("data/applications"), env.path("config")}) {
        std::filesystem::create_directories(made);
    }
    ASSERT_TRUE(test::copyFile(REFREX_BIN, folder + "setup"));
    ASSERT_TRUE(test::copyFile(WIZARD_LIB, folder + "libwizard.so", 0644));
    test::writeFile(folder + "_eng/readme.txt", "Read me.\n");
    test::writeFile(folder + "_eng/ambrin.pdf", "%PDF-1.4\n%%EOF\n");
    // The user's application for folders, texts and PDF files notes what it was given.
    const std::string opened = env.path("opened");
    test::writeFile(env.path("opener"), "#!/bin/sh\necho \"$1\" >> '" + opened + "'\n", 0755);
    // It is the default of the types it declares.
    const auto chooseFor = [&](const std::string& types) {
        test::writeFile(env.path("data/applications/opener.desktop"),
                        "[Desktop Entry]\nType=Application\nName=Opener\nExec=" +
                            env.path("opener") + " %f\nMimeType=" + types + "\n");
        std::string list = "[Default Applications]\n";
        for (const char* type : {"inode/directory", "text/plain", "application/pdf"}) {
            if (types.find(type) != std::string::npos) {
                list += std::string(type) + "=opener.desktop\n";
            }
        }
        test::writeFile(env.path("config/mimeapps.list"), list);
    };
    chooseFor("inode/directory;text/plain;application/pdf;");
    env.setVariable("AMBRIN_UI_LANG", "1033");
    env.setVariable("XDG_CURRENT_DESKTOP", std::nullopt);
    launchers.push_back(std::make_unique<ChildProcess>(
        folder + "setup", std::vector<std::string>{"-eng"}, env.root()));
    const Window window = x.waitFor("AutoRun");
    ASSERT_NE(window, 0u) << launchers.back()->errors();
    const QPoint corner = x.place(window);
    const auto click = [&](int y) {
        xdotool("mousemove " + std::to_string(corner.x() + 390) + " " +
                std::to_string(corner.y() + y) + " click 1");
    };
    const auto openedNow = [&](std::size_t lines) {
        for (int i = 0; i < 150 && test::occurrences(test::readFile(opened), "\n") < lines; ++i) {
            std::this_thread::sleep_for(50ms);
        }
        return test::readFile(opened);
    };
    click(89);  // Explorer
    EXPECT_EQ(openedNow(1), folder + "\n");
    click(136);  // ReadMe
    EXPECT_EQ(openedNow(2), folder + "\n" + folder + "_eng/readme.txt\n");
    click(184);  // Manual
    const std::string three =
        folder + "\n" + folder + "_eng/readme.txt\n" + folder + "_eng/ambrin.pdf\n";
    EXPECT_EQ(openedNow(3), three);

    chooseFor("inode/directory;text/plain;");
    click(184);
    EXPECT_NE(x.waitFor("Ambrin+"), 0u);
    EXPECT_NE(launchers.back()->errors().find("Ambrin+: Pls. install PDF viewer appliation"),
              std::string::npos)
        << launchers.back()->errors();
    EXPECT_EQ(test::readFile(opened), three) << "opened without a viewer";
}

TEST_F(LauncherWindowTest, DraggingTheBackgroundMovesTheWindow) {
    const Window window = startWindow();
    ASSERT_NE(window, 0u);
    const QPoint before = x.place(window);
    const QPoint grip = before + QPoint(150, 100);  // the welcome panel: no button there
    xdotool("mousemove " + std::to_string(grip.x()) + " " + std::to_string(grip.y()) +
            " mousedown 1");
    std::this_thread::sleep_for(100ms);
    xdotool("mousemove " + std::to_string(grip.x() + 40) + " " + std::to_string(grip.y() + 20));
    std::this_thread::sleep_for(100ms);
    xdotool("mousemove " + std::to_string(grip.x() - 60) + " " + std::to_string(grip.y() + 70));
    std::this_thread::sleep_for(100ms);
    xdotool("mouseup 1");
    QPoint after;
    for (int i = 0; i < 100 && (after = x.place(window)) != before + QPoint(-60, 70); ++i) {
        std::this_thread::sleep_for(30ms);
    }
    EXPECT_EQ(after, before + QPoint(-60, 70));
}

TEST_F(LauncherWindowTest, SecondStartBringsTheFirstWindowToTheFront) {
    const Window window = startWindow();
    ASSERT_NE(window, 0u);
    // Another window covers the launcher.
    Display* d = x.display();
    const Window cover = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1024, 768, 0, 0, 0);
    XMapRaised(d, cover);
    XSync(d, False);
    ASSERT_TRUE(x.above(cover, window));

    ChildProcess& second = start();
    EXPECT_EQ(second.wait(15s), 0) << second.errors();
    bool raised = false;
    for (int i = 0; i < 100 && !(raised = x.above(window, cover)); ++i) {
        std::this_thread::sleep_for(30ms);
    }
    EXPECT_TRUE(raised);
    EXPECT_TRUE(launchers.front()->running());
    XDestroyWindow(d, cover);
    XSync(d, False);
}

// The command line, as the main program and an installation use it, without a display.
class LauncherCommandLineTest : public test::EnvironmentTest {
  protected:
    std::string folder = env.path("opt/Ambrin/");

    void SetUp() override {
        env.setVariable("DISPLAY", std::nullopt);
        env.setVariable("QT_QPA_PLATFORM", std::nullopt);
        std::filesystem::create_directories(folder);
    }
};

TEST_F(LauncherCommandLineTest, UpdateWithoutTheServerStartsTheProgram) {
    ASSERT_TRUE(test::copyFile(REFREX_BIN, folder + "refrex"));
    ASSERT_TRUE(test::copyFile(WIZARD_LIB, folder + "libwizard.so", 0644));
    // The installed program, standing in: it notes that it was started, and where.
    test::writeFile(folder + "ambrin", "#!/bin/sh\npwd > \"$(dirname \"$0\")/started\"\n", 0755);
    env.setVariable("AMBRIN_UPDATE_HOST", "127.0.0.1:1");  // nothing listens there

    ChildProcess launcher(folder + "refrex", {"/update"}, env.root());
    EXPECT_EQ(launcher.wait(30s), 0) << launcher.errors();
    bool started = false;
    for (int i = 0; i < 100 && !(started = std::filesystem::exists(folder + "started")); ++i) {
        std::this_thread::sleep_for(30ms);
    }
    ASSERT_TRUE(started);
    EXPECT_EQ(test::readFile(folder + "started"), folder.substr(0, folder.size() - 1) + "\n");
}

TEST_F(LauncherCommandLineTest, WithoutItsLibraryTheLauncherSaysSoAndEnds) {
    ASSERT_TRUE(test::copyFile(REFREX_BIN, folder + "refrex"));
    ChildProcess launcher(folder + "refrex", {"/update"}, env.root());
    EXPECT_EQ(launcher.wait(30s), 1);
    EXPECT_NE(launcher.errors().find("Ambrin+ Error: Load Wizard.dll error."), std::string::npos)
        << launcher.errors();
}

}  // namespace
}  // namespace ambrin::launcher

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    return ambrin::test::runOnPrivateXServer([](const std::string& display) {
        ambrin::launcher::xDisplay = display;
        return RUN_ALL_TESTS();
    });
}
