#include "recorder/streaming/WaveRenderer.h"

#include <algorithm>
#include <string>

#include "core/EngineEvent.h"
#include "platform/StringIds.h"
#include "recorder/streaming/StreamResult.h"
#include "recorder/streaming/VorbisDecoder.h"

namespace ambrin {

namespace {

constexpr double kSecondsPerDay = 24.0 * 3600.0;

}  // namespace

WaveRenderer::WaveRenderer(StreamNotifier& notifier) : Stage(notifier) {}

WaveRenderer::~WaveRenderer() {
    shutdown();
    m_device.close();
}

void WaveRenderer::connect(VorbisDecoder& decoder) {
    m_input = &decoder.output();
    m_items = &decoder.items();
}

void WaveRenderer::wakeWaits() {
    if (m_input != nullptr) {
        m_input->wake();
    }
}

void WaveRenderer::setPaused(bool paused) {
    m_pauseAsked.store(paused, std::memory_order_release);
    wakeWaits();
}

// On the device thread (or on whoever resets the device): the only work done there.
void WaveRenderer::onPlayed(WaveHeader* header) {
    {
        std::lock_guard lock(m_headerMutex);
        m_played[static_cast<std::size_t>(header->tag)] = 1;
    }
    m_input->wake();
}

void WaveRenderer::run() {
    if (m_input == nullptr || !waitForStart()) {
        return;
    }
    while (checkpoint()) {
        const std::uint64_t seen = m_input->changes();
        if (interrupted()) {
            continue;
        }
        if (notifier().failed()) {
            idle();
            continue;
        }
        recycle();
        if (!takeItems()) {
            continue;
        }
        applyPause();
        if (m_device.isOpen() && !m_corked) {
            handAudio();
        }
        report();
        checkEnd();
        const bool playing = m_device.isOpen() && !m_corked && !m_inFlight.empty();
        m_input->waitForChange(seen, playing ? kReportInterval : std::chrono::milliseconds::max());
    }
    // Stopping: hand every buffer back and let the device go before the chain is freed.
    m_device.close();
}

void WaveRenderer::recycle() {
    std::size_t bytes = 0;
    {
        std::lock_guard lock(m_headerMutex);
        while (!m_inFlight.empty() && m_played[static_cast<std::size_t>(m_inFlight.front())] != 0) {
            Slot& slot = m_slots[static_cast<std::size_t>(m_inFlight.front())];
            m_played[static_cast<std::size_t>(m_inFlight.front())] = 0;
            bytes += slot.header.size;
            slot.inUse = false;
            m_inFlight.pop_front();
        }
    }
    // The device gives buffers back in the order it got them, so the bytes go back in order.
    if (bytes > 0) {
        m_input->release(bytes);
    }
}

bool WaveRenderer::takeItems() {
    // A new format waits at the front until the device has played everything before it.
    auto accept = [this](const StreamItem& format) {
        return !m_format || format.sameFormat(*m_format) || m_inFlight.empty();
    };
    for (const StreamItem& item : m_items->takeUpTo(m_consumed, accept)) {
        if (item.kind == StreamItem::Kind::Format) {
            if (!m_format || !item.sameFormat(*m_format) || !m_device.isOpen()) {
                if (!openDevice(item)) {
                    return false;
                }
            }
            m_format = item;
        } else if (!m_firstTime) {
            m_firstTime = item;
        }
    }
    return true;
}

bool WaveRenderer::openDevice(const StreamItem& format) {
    m_device.close();
    std::string error;
    if (format.channels <= 0 || format.rate == 0 || format.bufferSize == 0 ||
        !m_device.open(
            format.bits, format.channels, format.rate,
            [this](WaveHeader* header) { onPlayed(header); }, &error)) {
        notifier().fail(str::kInternalError);
        return false;
    }
    m_corked = false;
    // As many buffers as the input's ring holds, less one, so the decoder always has room.
    std::size_t count = m_input->ringSize() / format.bufferSize;
    count = count > 1 ? count - 1 : 1;
    m_slots.assign(count, Slot{});
    for (std::size_t i = 0; i < count; ++i) {
        m_slots[i].header.tag = static_cast<int>(i);
    }
    {
        std::lock_guard lock(m_headerMutex);
        m_played.assign(count, 0);
    }
    // The device counts from 0 again here; a time item from before no longer fits.
    m_deviceBase = m_consumed;
    m_startKnown = false;
    if (m_firstTime && m_firstTime->offset < m_deviceBase) {
        m_firstTime.reset();
    }
    return true;
}

void WaveRenderer::applyPause() {
    const bool paused = m_pauseAsked.load(std::memory_order_acquire);
    if (!m_device.isOpen() || paused == m_corked) {
        return;
    }
    if (paused ? m_device.pause() : m_device.restart()) {
        m_corked = paused;
    } else {
        notifier().fail(str::kInternalError);
    }
}

void WaveRenderer::handAudio() {
    const std::size_t bufferSize = m_format->bufferSize;
    for (;;) {
        const std::size_t free = m_slots.size() - m_inFlight.size();
        if (free == 0) {
            return;
        }
        std::size_t want = std::min(kMaxBuffersAtOnce, free) * bufferSize;
        if (const auto boundary = m_items->nextFormatFrom(m_consumed)) {
            want = std::min<std::uint64_t>(want, *boundary - m_consumed);
        }
        if (want == 0) {
            return;  // a new format comes first
        }
        ByteBuffer::Block block;
        for (;;) {
            block = m_input->request(want);
            if (block.code == StreamResult::Done) {
                break;
            }
            if (block.code == StreamResult::EndOfStream) {
                if (block.size == 0) {
                    return;  // everything has been handed over
                }
                want = block.size;  // the last, short part
                continue;
            }
            if ((block.code == StreamResult::NotEnoughData ||
                 block.code == StreamResult::BeyondOverflow) &&
                want > bufferSize) {
                want = std::max(bufferSize, want / 2 / bufferSize * bufferSize);
                continue;
            }
            if (block.code == StreamResult::BeyondOverflow) {
                block = m_input->requestSome(want);
                if (block.code == StreamResult::Done) {
                    break;
                }
            }
            return;  // not enough yet, or closed
        }
        for (std::size_t done = 0; done < block.size;) {
            const auto slot = std::find_if(m_slots.begin(), m_slots.end(),
                                           [](const Slot& s) { return !s.inUse; });
            slot->inUse = true;
            slot->header.data = block.data + done;
            slot->header.size = std::min(bufferSize, block.size - done);
            done += slot->header.size;
            m_inFlight.push_back(slot->header.tag);
            if (!m_device.write(&slot->header)) {
                notifier().fail(str::kInternalError);
                m_consumed += block.size;
                return;
            }
        }
        m_consumed += block.size;
    }
}

double WaveRenderer::byteRate() const {
    return static_cast<double>(m_format->channels) * (m_format->bits / 8) * m_format->rate;
}

void WaveRenderer::report() {
    if (!m_format || !m_device.isOpen()) {
        return;
    }
    if (!m_startKnown) {
        if (!m_firstTime) {
            return;
        }
        // The time item gives the position of the byte at its offset; the device's byte 0
        // lies (offset - base) bytes before it.
        const double itemSeconds = static_cast<double>(m_firstTime->tenths) *
                                   (m_format->rate / 10) / static_cast<double>(m_format->rate);
        m_start =
            itemSeconds - static_cast<double>(m_firstTime->offset - m_deviceBase) / byteRate();
        m_startKnown = true;
    }
    const double position = m_start + static_cast<double>(m_device.position()) / byteRate();
    if (position < 0 || position > kSecondsPerDay || position < m_lastPosition) {
        m_startKnown = false;  // the next time item sets it again
        m_firstTime.reset();
        m_lastPosition = -1;
        return;
    }
    m_lastPosition = position;
    const auto whole = static_cast<std::int64_t>(position);
    if (whole > m_lastPosted) {
        m_lastPosted = whole;
        notifier().post(std::make_unique<TimeEvent>(static_cast<int>(whole / 3600),
                                                    static_cast<int>(whole % 3600 / 60),
                                                    static_cast<int>(whole % 60), position));
    }
}

void WaveRenderer::checkEnd() {
    if (m_endPosted || !m_inFlight.empty() || !m_items->empty() || !m_input->drained()) {
        return;
    }
    m_endPosted = true;
    notifier().post(std::make_unique<EngineEvent>(EventCode::EndOfPlayback));
}

void WaveRenderer::rewind(bool announce) {
    if (m_device.isOpen()) {
        m_device.reset();  // every buffer comes back through onPlayed
    }
    std::size_t bytes = 0;
    {
        std::lock_guard lock(m_headerMutex);
        for (const int index : m_inFlight) {
            bytes += m_slots[static_cast<std::size_t>(index)].header.size;
            m_slots[static_cast<std::size_t>(index)].inUse = false;
        }
        std::fill(m_played.begin(), m_played.end(), 0);
    }
    m_inFlight.clear();
    if (bytes > 0) {
        m_input->release(bytes);
    }
    m_consumed = 0;
    m_deviceBase = 0;
    m_firstTime.reset();
    m_startKnown = false;
    m_lastPosition = -1;
    m_lastPosted = announce ? -1 : 0;
    m_endPosted = false;
}

}  // namespace ambrin
