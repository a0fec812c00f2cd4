#pragma once

#include <chrono>
#include <functional>

namespace ambrin::test {

// The one QApplication of a widget test program, on the offscreen platform unless the
// environment names another. Created on first use on the calling (main) thread.
void ensureGuiApplication();

// Runs the event loop until `done` holds or the time is up; the final value of `done`.
bool processEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace ambrin::test
