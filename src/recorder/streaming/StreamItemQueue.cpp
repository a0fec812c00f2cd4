#include "recorder/streaming/StreamItemQueue.h"

namespace ambrin {

void StreamItemQueue::add(const StreamItem& item) {
    std::lock_guard lock(m_mutex);
    m_items.push_back(item);
}

std::optional<std::uint64_t> StreamItemQueue::nextFormatFrom(std::uint64_t offset) const {
    std::lock_guard lock(m_mutex);
    for (const StreamItem& item : m_items) {
        if (item.kind == StreamItem::Kind::Format && item.offset >= offset) {
            return item.offset;
        }
    }
    return std::nullopt;
}

bool StreamItemQueue::empty() const {
    std::lock_guard lock(m_mutex);
    return m_items.empty();
}

void StreamItemQueue::clear() {
    std::lock_guard lock(m_mutex);
    m_items.clear();
}

}  // namespace ambrin
