#include "recorder/CallerIdReceiver.h"

#include <spandsp.h>

#include <algorithm>
#include <cstring>

#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "platform/WorkerThread.h"

namespace ambrin {

namespace {

// Caller-ID message field types that carry the caller's number.
constexpr std::uint8_t kFskCallerNumber = CLIP_CALLER_NUMBER;  // MDMF, Bell 202 and V.23 alike
constexpr std::uint8_t kDtmfCallerNumber = CLIP_DTMF_C_CALLER_NUMBER;  // 'A'

bool isDigitOfNumber(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == '+';
}

// What is worth keeping of a number from the line: digits and the few signs numbers have.
std::string numberFrom(const std::uint8_t* body, int length) {
    std::string number;
    for (int i = 0; i < length; ++i) {
        const char c = static_cast<char>(body[i]);
        if (isDigitOfNumber(c)) {
            number += c;
        }
    }
    return number;
}

}  // namespace

// One caller-ID receiver's hand-back: spandsp calls it with the receiver's own context.
struct CallerIdListener {
    CallerIdReceiver* owner = nullptr;
    adsi_rx_state_t* receiver = nullptr;
};

CallerIdReceiver::CallerIdReceiver(AppContext& context)
    : m_context(context), m_slots(std::make_unique<Slot[]>(kSlots)) {
    m_worker = std::thread([this] { run(); });
}

CallerIdReceiver::~CallerIdReceiver() {
    m_stop.store(true, std::memory_order_release);
    m_signal.fetch_add(1, std::memory_order_release);
    m_signal.notify_all();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CallerIdReceiver::resume() {
    m_suspended.store(false, std::memory_order_release);
    m_signal.fetch_add(1, std::memory_order_release);
    m_signal.notify_all();
}

void CallerIdReceiver::offer(const std::uint8_t* data, std::size_t bytes, std::uint64_t clock,
                             bool recording) noexcept {
    if (recording && !m_wasRecording) {
        ++m_calls;
        m_callStart = clock - bytes;  // the recording began with this buffer
    }
    m_wasRecording = recording;
    const std::uint64_t head = m_head.load(std::memory_order_relaxed);
    if (head - m_tail.load(std::memory_order_acquire) >= kSlots) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    Slot& slot = m_slots[head % kSlots];
    slot.bytes = std::min(bytes, kSlotBytes);
    std::memcpy(slot.data.data(), data, slot.bytes);
    slot.clock = clock;
    slot.call = m_calls;
    slot.callStart = m_callStart;
    slot.recording = recording;
    m_head.store(head + 1, std::memory_order_release);
    m_signal.fetch_add(1, std::memory_order_release);
    m_signal.notify_one();
}

void CallerIdReceiver::run() {
    nameThisThread("caller-id");
    CallerIdListener listeners[3];
    adsi_rx_state_t** const receivers[3] = {&m_bell, &m_v23, &m_dtmfId};
    const int standards[3] = {ADSI_STANDARD_CLASS, ADSI_STANDARD_CLIP, ADSI_STANDARD_CLIP_DTMF};
    for (int i = 0; i < 3; ++i) {
        listeners[i].owner = this;
        *receivers[i] =
            adsi_rx_init(nullptr, standards[i], &CallerIdReceiver::onMessage, &listeners[i]);
        listeners[i].receiver = *receivers[i];
    }
    m_dtmf = dtmf_rx_init(nullptr, &CallerIdReceiver::onDigits, this);

    for (;;) {
        const std::uint32_t seen = m_signal.load(std::memory_order_acquire);
        if (m_stop.load(std::memory_order_acquire)) {
            break;
        }
        const std::uint64_t tail = m_tail.load(std::memory_order_relaxed);
        if (m_suspended.load(std::memory_order_acquire) ||
            tail == m_head.load(std::memory_order_acquire)) {
            m_signal.wait(seen, std::memory_order_acquire);
            continue;
        }
        decode(m_slots[tail % kSlots]);
        m_tail.store(tail + 1, std::memory_order_release);
        m_decoded.fetch_add(1, std::memory_order_release);
    }

    for (adsi_rx_state_t** receiver : receivers) {
        if (*receiver != nullptr) {
            adsi_rx_free(*receiver);
        }
    }
    if (m_dtmf != nullptr) {
        dtmf_rx_free(m_dtmf);
    }
}

void CallerIdReceiver::decode(const Slot& slot) {
    m_now = slot.clock;
    if (m_recordingNow && !slot.recording && !m_digits.empty()) {
        digitsEnded();  // the call is over, and with it the dialling
    }
    m_recordingNow = slot.recording;
    if (slot.call != m_call) {
        m_call = slot.call;
        m_callStartAt = slot.callStart;
        // A number heard shortly before the recording began is its caller's.
        if (m_heardWaiting && m_heardAt + kBeforeCall >= m_callStartAt) {
            tell(m_heardNumber, false);
        }
        m_heardWaiting = false;
    }
    std::int16_t samples[kSlotBytes / 2];
    const int count = static_cast<int>(slot.bytes / 2);
    bool quiet = true;
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(
            slot.data[2 * i] | (static_cast<unsigned>(slot.data[2 * i + 1]) << 8)));
        quiet = quiet && samples[i] <= kQuietPeak && samples[i] >= -kQuietPeak;
    }
    if (!quiet) {
        m_lastSoundAt = m_now;
    }
    // An idle line costs the demodulators nothing.
    if (!quiet || m_now <= m_lastSoundAt + kQuietBeforeIdle) {
        for (adsi_rx_state_t* receiver : {m_bell, m_v23, m_dtmfId}) {
            if (receiver != nullptr) {
                adsi_rx(receiver, samples, count);
            }
        }
        if (m_dtmf != nullptr) {
            dtmf_rx(m_dtmf, samples, count);
        }
    }
    if (!m_digits.empty() && m_now > m_lastDigitAt + kDigitGap) {
        digitsEnded();
    }
}

void CallerIdReceiver::onMessage(void* context, const std::uint8_t* message, int length) {
    auto* listener = static_cast<CallerIdListener*>(context);
    int position = -1;
    std::uint8_t type = 0;
    const std::uint8_t* body = nullptr;
    int bodyLength = 0;
    while ((position = adsi_next_field(listener->receiver, message, length, position, &type, &body,
                                       &bodyLength)) > 0) {
        const bool number = listener->receiver == listener->owner->m_dtmfId
                                ? type == kDtmfCallerNumber
                                : type == kFskCallerNumber;
        if (number && bodyLength > 0 && body != nullptr) {
            const std::string digits = numberFrom(body, bodyLength);
            if (!digits.empty()) {
                listener->owner->heard(digits);
            }
            return;
        }
    }
}

void CallerIdReceiver::onDigits(void* context, const char* digits, int length) {
    auto* self = static_cast<CallerIdReceiver*>(context);
    if (self->m_digits.empty()) {
        self->m_digitsStart = self->m_now;
    }
    self->m_digits.append(digits, static_cast<std::size_t>(std::max(length, 0)));
    self->m_lastDigitAt = self->m_now;
}

void CallerIdReceiver::heard(const std::string& number) {
    // In the first seconds of a recording the number is that call's; otherwise it waits for
    // the recording that may follow.
    if (m_recordingNow && m_call > 0 && m_now <= m_callStartAt + kFirstSeconds) {
        tell(number, false);
        return;
    }
    m_heardNumber = number;
    m_heardAt = m_now;
    m_heardWaiting = true;
}

void CallerIdReceiver::digitsEnded() {
    const std::string digits = std::move(m_digits);
    m_digits.clear();
    // Caller-ID framing (A..D) means the exchange sent it: not dialled.
    const bool framed = digits.find_first_of("ABCD") != std::string::npos;
    if (framed || m_call == 0) {
        return;
    }
    // Dialling is what starts the recording, so the first digits may come just before it.
    if (m_lastDigitAt + kBytesPerSecond < m_callStartAt ||
        m_digitsStart > m_callStartAt + kFirstSeconds) {
        return;
    }
    tell(digits, true);
}

void CallerIdReceiver::tell(const std::string& number, bool dialled) {
    if (m_toldCall == m_call) {
        return;  // one number per call: the first that came
    }
    m_toldCall = m_call;
    if (m_context.events != nullptr) {
        m_context.events->postEvent(std::make_unique<CallerNumberEvent>(number, dialled));
    }
}

}  // namespace ambrin
