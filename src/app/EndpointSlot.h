#pragma once

#include <memory>
#include <mutex>
#include <string_view>

#include "platform/WindowEndpoint.h"

namespace ambrin {

// A window's endpoint that one thread publishes and another may close (the event thread
// at quit, or the owner's destructor).
class EndpointSlot {
  public:
    EndpointSlot() = default;
    ~EndpointSlot() { close(); }
    EndpointSlot(const EndpointSlot&) = delete;
    EndpointSlot& operator=(const EndpointSlot&) = delete;

    // Publishes the window; false, with the reason on standard output under `what`
    // ("main window", "tray"), when it cannot.
    bool open(std::string_view className, std::string_view title, WindowEndpoint::Handler handler,
              std::string_view what);
    // Stops listening (joins the listener thread). Must not be called from the handler.
    void close();

  private:
    std::mutex m_mutex;  // guards m_endpoint
    std::unique_ptr<WindowEndpoint> m_endpoint;
};

}  // namespace ambrin
