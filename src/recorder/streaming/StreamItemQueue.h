#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace ambrin {

// What the decoder tells the renderer besides the audio bytes, at a place in the byte stream.
struct StreamItem {
    enum class Kind { Format, Time };

    Kind kind = Kind::Time;
    // Bytes of the decoder's output (since its last rewind) that come before the item.
    std::uint64_t offset = 0;

    // Format: the PCM that follows, and how the renderer should cut it.
    int bits = 16;
    int channels = 0;
    std::uint32_t rate = 0;
    std::size_t bufferSize = 0;   // bytes per device buffer
    std::uint32_t tenthRate = 0;  // sample frames per tenth of a second (rate / 10)

    // Time: the position of the audio that follows, in tenths of a second.
    std::int64_t tenths = 0;

    bool sameFormat(const StreamItem& other) const {
        return bits == other.bits && channels == other.channels && rate == other.rate;
    }
};

// The items between the decoder (which adds them in stream order) and the renderer (which
// takes them as its reading reaches their offsets).
//
// Threads: add from the decoder's thread, take from the renderer's, clear from the player's
// while both are held. One mutex guards the queue.
class StreamItemQueue {
  public:
    void add(const StreamItem& item);
    // Removes and returns the items whose offset is not beyond `offset`, in order, stopping
    // before the first format item for which `accept` is false (it stays at the front).
    template <typename Accept>
    std::vector<StreamItem> takeUpTo(std::uint64_t offset, Accept accept) {
        std::vector<StreamItem> taken;
        std::lock_guard lock(m_mutex);
        while (!m_items.empty() && m_items.front().offset <= offset) {
            if (m_items.front().kind == StreamItem::Kind::Format && !accept(m_items.front())) {
                break;
            }
            taken.push_back(m_items.front());
            m_items.pop_front();
        }
        return taken;
    }
    // The offset of the first format item at or after `offset`: reading must stop there.
    std::optional<std::uint64_t> nextFormatFrom(std::uint64_t offset) const;
    bool empty() const;
    void clear();

  private:
    mutable std::mutex m_mutex;  // guards m_items
    std::deque<StreamItem> m_items;
};

}  // namespace ambrin
