#include "recorder/streaming/StreamNotifier.h"

#include "platform/StringTable.h"

namespace ambrin {

bool StreamNotifier::post(std::unique_ptr<EngineEvent> event) {
    std::lock_guard lock(m_mutex);
    if (m_silent || failed()) {
        return false;
    }
    m_sink.postEvent(std::move(event));
    return true;
}

void StreamNotifier::fail(int stringId) {
    const std::string text = loadString(stringId);
    std::lock_guard lock(m_mutex);
    if (m_silent || failed()) {
        return;
    }
    m_failed.store(true, std::memory_order_release);
    m_sink.postEvent(std::make_unique<TextEvent>(EventCode::WarningText, text));
    m_sink.postEvent(std::make_unique<EngineEvent>(EventCode::PlaybackError));
}

void StreamNotifier::silence() {
    std::lock_guard lock(m_mutex);
    m_silent = true;
}

}  // namespace ambrin
