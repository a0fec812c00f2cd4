#pragma once

#include "app/HeadlessWindow.h"

namespace ambrin {

// The main window's stand-in on a desktop until the skinned window takes its place: the
// headless presence (endpoint, "MainWindow" registration, state lines on standard output)
// plus what needs the desktop, the manual.
class DesktopPresence : public HeadlessWindow {
  public:
    explicit DesktopPresence(AppContext& context) : HeadlessWindow(context), m_context(context) {}

    // Event thread.
    void openManual() override;

  private:
    AppContext& m_context;
};

}  // namespace ambrin
