#pragma once

namespace ambrin {

class Semaphore;

// True when a window system can be reached: QT_QPA_PLATFORM names a platform, or the
// Wayland or X11 display of the environment accepts a connection.
bool displayAvailable();

// True when the X display named by DISPLAY accepts a connection (an X server, or XWayland
// on a Wayland desktop).
bool xDisplayReachable();

// Skinned windows shape and place themselves, which only X11 allows: when QT_QPA_PLATFORM
// is not set and an X display is reachable, the program runs on the xcb platform. Call
// before the QApplication is made.
void chooseWindowPlatform();

// Shows message boxes as Qt dialogs on the GUI thread. From another thread the request
// waits for the user's answer on the GUI thread (the GUI thread never waits for an engine
// thread, so this cannot deadlock). Needs a QApplication.
void installGuiMessagePresenter();

// Runs the Qt event loop until the semaphore is released.
void runGuiUntilReleased(Semaphore& exitSemaphore);

}  // namespace ambrin
