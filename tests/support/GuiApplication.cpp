#include "support/GuiApplication.h"

#include <QApplication>
#include <QThread>
#include <cstdlib>

// Fontconfig keeps its caches for the life of the process; the leak checker of the
// sanitizer build need not report them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace ambrin::test {

void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "ambrin_gui_test";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() != nullptr) {
        return;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: at static destruction Qt's own globals are gone already. The pointer
    // keeps it reachable for the leak checker.
    [[maybe_unused]] static QApplication* app = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
}

bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace ambrin::test
