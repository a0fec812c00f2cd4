// The skinned window on a real X server (Xvfb) driven by real pointer and key events
// (xdotool), with an owner that writes down what reaches it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "RecordingWindowOwner.h"
#include "app/SkinWindow.h"
#include "skin/SkinDocument.h"
#include "skin/TestSkin.h"
#include "support/PrivateXServer.h"
#include "support/TestEnvironment.h"

namespace ambrin {

std::string xDisplay;  // the private server's, set by main()

namespace {

using Calls = std::vector<std::string>;

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

// The calls that arrived within `ms` milliseconds, the window's events handled meanwhile.
Calls after(test::RecordingWindowOwner& owner, int ms) {
    QTest::qWait(ms);
    return owner.take();
}

bool has(const Calls& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

std::string join(const Calls& calls) {
    std::string text;
    for (const std::string& call : calls) {
        text += call + " ";
    }
    return text;
}

TEST(SkinWindowOnX11, RealPointerWheelAndKeysReachTheOwner) {
    test::TestEnvironment env;
    env.setVariable("DISPLAY", xDisplay);
    test::TestSkin skin(env.path("skin"));
    skin.write(
        "<OWINDOW ONAME=\"MainWindow\"><OBKBITMAP OBITMAPRES=\"bg\" ORECT=\"0,0,240,80\"/>"
        "<OBUTTONC ONAME=\"Play\" OSRCRECT=\"0,0,79,9\" OBITMAPRES=\"ctl\" ODESTPOS=\"10,10\"/>"
        "<OSLIDERC ONAME=\"Seek\" OSRCRECT=\"0,100,29,199\" OBITMAPRES=\"ctl\" "
        "OTHUMBSTATES=\"10\" ODESTRECT=\"10,40,120,52\"/></OWINDOW>");
    SkinDocument document;
    ASSERT_EQ(document.loadPackage(skin.folder()), 0);
    test::RecordingWindowOwner owner;
    SkinWindow window(owner, document.window("MainWindow"), {});
    owner.window = &window;
    ASSERT_EQ(window.create(QPoint(100, 100)), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.pos(), QPoint(100, 100));
    EXPECT_EQ(after(owner, 100), (Calls{"created"}));

    // Over the transparent corner the pointer is not over the window.
    xdotool("mousemove 101 101");
    EXPECT_EQ(after(owner, 400), Calls{});
    xdotool("mousemove 115 112");
    Calls calls = after(owner, 400);
    EXPECT_TRUE(has(calls, "WindowStatus:7")) << join(calls);
    EXPECT_TRUE(has(calls, "Play:1")) << join(calls);
    xdotool("click 1");
    EXPECT_EQ(after(owner, 200), (Calls{"Play:0"}));

    // The thumb (10 pixels of a 110-pixel slider) dragged 40 pixels along its track.
    xdotool("mousemove 115 146 mousedown 1");
    QTest::qWait(100);
    xdotool("mousemove 135 146");
    QTest::qWait(100);
    xdotool("mousemove 155 146");
    QTest::qWait(100);
    xdotool("mouseup 1");
    calls = after(owner, 200);
    EXPECT_TRUE(has(calls, "Seek:4")) << join(calls);
    EXPECT_EQ(calls.back(), "Seek:5=40") << join(calls);

    xdotool("click 4");
    EXPECT_EQ(after(owner, 200), (Calls{"wheel:1"}));
    xdotool("click 5");
    EXPECT_EQ(after(owner, 200), (Calls{"wheel:-1"}));
    xdotool("click 2");
    EXPECT_EQ(after(owner, 200), (Calls{"middle"}));
    xdotool("click 3");
    EXPECT_EQ(after(owner, 200), (Calls{"menu"}));
    xdotool("windowfocus --sync " + std::to_string(window.winId()));
    xdotool("key p");
    xdotool("key F1");
    EXPECT_EQ(after(owner, 300), (Calls{"key:p", "key:h"}));

    // Dragged by its background to 9 pixels from the left edge, the window snaps to it; at
    // 10 pixels it stays.
    xdotool("mousemove 300 160 mousedown 1");
    QTest::qWait(100);
    xdotool("mousemove 250 160");
    QTest::qWait(100);
    xdotool("mousemove 209 160 mouseup 1");
    QTest::qWait(200);
    EXPECT_EQ(window.pos().x(), 0);
    xdotool("mousedown 1");
    QTest::qWait(100);
    xdotool("mousemove 230 160");
    QTest::qWait(100);
    xdotool("mousemove 219 160 mouseup 1");  // the press was 209 pixels into the window
    QTest::qWait(200);
    EXPECT_EQ(window.pos().x(), 10);

    xdotool("mousemove 700 600");
    calls = after(owner, 400);
    EXPECT_TRUE(has(calls, "WindowStatus:8")) << join(calls);
    EXPECT_EQ(window.closeWindow(), 0);
    EXPECT_EQ(owner.take(), (Calls{"Quit:0"}));
}

}  // namespace
}  // namespace ambrin

// A private X server for this program, on a display number of its own choosing.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    return ambrin::test::runOnPrivateXServer([&](const std::string& display) {
        ambrin::xDisplay = display;
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        QApplication app(argc, argv);
        return RUN_ALL_TESTS();
    });
}
