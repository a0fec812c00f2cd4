#include "app/EndpointSlot.h"

#include <string>

#include "app/HeadlessWindow.h"

namespace ambrin {

bool EndpointSlot::open(std::string_view className, std::string_view title,
                        WindowEndpoint::Handler handler, std::string_view what) {
    std::string error;
    auto endpoint = WindowEndpoint::create(className, title, std::move(handler), &error);
    if (!endpoint) {
        consoleLine("ambrin: " + std::string(what) + " endpoint not available: " + error);
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_endpoint = std::move(endpoint);
    return true;
}

void EndpointSlot::close() {
    std::unique_ptr<WindowEndpoint> endpoint;
    {
        std::lock_guard lock(m_mutex);
        endpoint = std::move(m_endpoint);
    }
    endpoint.reset();  // joins the listener thread, outside the lock
}

}  // namespace ambrin
