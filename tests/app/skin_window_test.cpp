#include "app/SkinWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTest>
#include <algorithm>

#include "RecordingWindowOwner.h"
#include "skin/SkinDocument.h"
#include "skin/TestSkin.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using Calls = std::vector<std::string>;

void ensureWidgetApplication() {
    if (QApplication::instance() == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "skin_window_tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed: Qt's own statics are gone by the time static destructors run.
        new QApplication(argc, argv);
    }
}

bool contains(const Calls& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST(SkinWindowPlacement, PositionSnappingAndReplacementRules) {
    const QRect screen(0, 0, 1000, 700);
    const QSize size(200, 100);
    // Unusable positions centre the window.
    EXPECT_EQ(SkinWindow::initialPosition(QPoint(-1, -1), size, screen), QPoint(400, 300));
    EXPECT_EQ(SkinWindow::initialPosition(QPoint(981, 10), size, screen), QPoint(400, 300));
    EXPECT_EQ(SkinWindow::initialPosition(QPoint(10, 681), size, screen), QPoint(400, 300));
    EXPECT_EQ(SkinWindow::initialPosition(QPoint(980, 680), size, screen), QPoint(980, 680));
    EXPECT_EQ(SkinWindow::initialPosition(QPoint(0, 0), size, screen), QPoint(0, 0));

    // Nine pixels from an edge snap to it, ten do not.
    EXPECT_EQ(SkinWindow::snapToScreen(QRect(QPoint(9, 50), size), screen), QPoint(0, 50));
    EXPECT_EQ(SkinWindow::snapToScreen(QRect(QPoint(-9, -9), size), screen), QPoint(0, 0));
    EXPECT_EQ(SkinWindow::snapToScreen(QRect(QPoint(10, 10), size), screen), QPoint(10, 10));
    EXPECT_EQ(SkinWindow::snapToScreen(QRect(QPoint(791, 609), size), screen), QPoint(800, 600));
    EXPECT_EQ(SkinWindow::snapToScreen(QRect(QPoint(809, 591), size), screen), QPoint(800, 600));
    EXPECT_EQ(SkinWindow::snapToScreen(QRect(QPoint(790, 590), size), screen), QPoint(790, 590));

    // A replacement starts at the old corner, stays on the screen, and keeps the edges the
    // old window touched.
    const QSize small(100, 50);
    const QSize large(300, 200);
    EXPECT_EQ(SkinWindow::replacementRect(QRect(QPoint(50, 60), size), small, screen),
              QRect(QPoint(50, 60), small));
    EXPECT_EQ(SkinWindow::replacementRect(QRect(QPoint(800, 600), size), small, screen),
              QRect(QPoint(900, 650), small));
    EXPECT_EQ(SkinWindow::replacementRect(QRect(QPoint(0, 0), size), large, screen),
              QRect(QPoint(0, 0), large));
    EXPECT_EQ(SkinWindow::replacementRect(QRect(QPoint(750, 550), size), large, screen),
              QRect(QPoint(700, 500), large));
    EXPECT_EQ(SkinWindow::replacementRect(QRect(QPoint(800, 300), size), small, screen),
              QRect(QPoint(900, 300), small));
}

class SkinWindowTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        ensureWidgetApplication();
        skin.write(
            "<OWINDOW ONAME=\"MainWindow\"><OBKBITMAP OBITMAPRES=\"bg\" ORECT=\"0,0,240,80\"/>"
            "<OBUTTONC ONAME=\"Play\" OSRCRECT=\"0,0,79,9\" OBITMAPRES=\"ctl\" ODESTPOS=\"10,10\"/>"
            "</OWINDOW><OWINDOW ONAME=\"Small\"><OBKBITMAP OBITMAPRES=\"bg\" ORECT=\"0,0,60,40\"/>"
            "</OWINDOW>");
        ASSERT_EQ(document.loadPackage(skin.folder()), 0);
    }

    std::unique_ptr<SkinWindow> makeWindow(const SkinWindow::Options& options = {}) {
        auto window = std::make_unique<SkinWindow>(owner, document.window("MainWindow"), options);
        owner.window = window.get();
        return window;
    }

    test::TestSkin skin{env.path("skin")};
    SkinDocument document;
    test::RecordingWindowOwner owner;
};

TEST_F(SkinWindowTest, ABusyWindowSwallowsEveryEvent) {
    auto window = makeWindow();
    EXPECT_EQ(window->closeWindow(), SkinWindow::kNoWindow);
    EXPECT_EQ(window->setTopmost(true), SkinWindow::kNoWindow);
    ASSERT_EQ(window->create(QPoint(-1, -1)), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(owner.take(), (Calls{"created"}));

    window->setBusy(true);
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(15, 12));
    QTest::mouseClick(window.get(), Qt::MiddleButton, {}, QPoint(100, 50));
    QTest::mouseClick(window.get(), Qt::RightButton, {}, QPoint(100, 50));
    QTest::keyClick(window.get(), Qt::Key_P);
    QTest::keyClick(window.get(), Qt::Key_F1);
    QWheelEvent wheel(QPointF(100, 50), window->mapToGlobal(QPointF(100, 50)), {}, QPoint(0, 240),
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window.get(), &wheel);
    EXPECT_EQ(window->closeWindow(), SkinWindow::kNoWindow);
    window->close();
    QTest::qWait(50);
    EXPECT_EQ(owner.take(), Calls{});
    EXPECT_TRUE(window->isVisible());

    window->setBusy(false);
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(15, 12));
    QTest::mouseClick(window.get(), Qt::MiddleButton, {}, QPoint(100, 50));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QApplication::sendEvent(window.get(), &wheel);
    const Calls calls = owner.take();
    EXPECT_TRUE(contains(calls, "Play:0"));
    EXPECT_TRUE(contains(calls, "middle"));
    EXPECT_TRUE(contains(calls, "key:h"));
    EXPECT_TRUE(contains(calls, "wheel:2"));
    EXPECT_EQ(window->closeWindow(), 0);
    EXPECT_TRUE(contains(owner.take(), "Quit:0"));
    EXPECT_EQ(window->closeWindow(), SkinWindow::kNoWindow);
}

TEST_F(SkinWindowTest, HoverCountsOnlyTheVisibleShapeAndTheUpdaterStartsOnce) {
    SkinWindow::Options options;
    options.autoUpdate = true;
    options.updaterDelay = std::chrono::milliseconds(200);
    auto window = makeWindow(options);
    ASSERT_EQ(window->create(QPoint(100, 100)), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QPoint corner = window->mapToGlobal(QPoint(0, 0));
    // The transparent top-left corner lies inside the rectangle but outside the shape.
    QCursor::setPos(corner + QPoint(1, 1));
    QTest::qWait(400);
    QCursor::setPos(corner + QPoint(60, 40));
    QTest::qWait(400);
    QCursor::setPos(corner + QPoint(60, 79));  // the transparent last row
    QTest::qWait(400);
    QTest::qWait(400);
    const Calls calls = owner.take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "WindowStatus:7"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "WindowStatus:8"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "updater"), 1);
    const auto entered = std::find(calls.begin(), calls.end(), "WindowStatus:7");
    const auto left = std::find(calls.begin(), calls.end(), "WindowStatus:8");
    EXPECT_LT(entered, left);
}

TEST_F(SkinWindowTest, ReplacementKeepsTheEdgeTheWindowTouched) {
    auto window = makeWindow();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_EQ(window->create(QPoint(screen.width() - 240, 200)), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->replaceView(document.window("Small")), 0);
    QRect rect;
    ASSERT_EQ(window->windowRect(rect), 0);
    EXPECT_EQ(rect, QRect(screen.width() - 60, 200, 60, 40));
    EXPECT_EQ(window->mask(), document.findWindow("Small")->region());
    EXPECT_FALSE(window->busy());
    EXPECT_EQ(window->replaceView(nullptr), SkinWindow::kFailed);
}

}  // namespace
}  // namespace ambrin
