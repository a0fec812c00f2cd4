#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace ambrin {

// The most recent captured buffers while nothing is recorded, so that a recording can begin
// with the audio from before the moment it was asked for: the buffer whose sound started the
// call and those before it would otherwise never reach the file.
//
// It keeps `preRollBuffers` buffers before a start request (the trigger), plus the one before
// them (the detector examines only the start of each buffer, so a call's first sound may lie
// in the buffer before the one that triggered), and every buffer from the trigger on until a
// sink takes them, up to a bound (a start the engine never
// carries out must not grow it without end). Storage is allocated once, at configure().
//
// Capture thread for push(); the event thread takes the buffers at a recording start. Both
// under the recorder's lock.
class PreRoll {
  public:
    static constexpr std::size_t kBufferBytes = 4096;
    // Buffers kept from a trigger on while the start is pending (about 30 s).
    static constexpr std::size_t kPendingBuffers = 120;

    // Buffers of 256 ms that `milliseconds` of pre-roll round up to; 0 or less gives 0.
    static std::size_t buffersFor(int milliseconds);

    // Sets the pre-roll length and drops what is kept.
    void configure(std::size_t preRollBuffers);
    std::size_t preRollBuffers() const { return m_preRoll; }

    // Keeps a captured buffer (at most 4096 bytes).
    void push(const std::uint8_t* data, std::size_t bytes);
    // Marks the buffer pushed last as the one that asked for a recording; a pending trigger
    // stays (the first loud buffer starts the call) unless it is too old to be kept.
    void markTrigger();
    // Forgets the trigger (the start it asked for did not happen).
    void clearTrigger();

    // Hands the pre-roll to `sink` in capture order: the buffers from `preRollBuffers` + 1
    // before the trigger on, or without a trigger the last `preRollBuffers` buffers. Then
    // empties.
    void drainInto(const std::function<void(const std::uint8_t*, std::size_t)>& sink);

    std::size_t size() const { return m_count; }
    std::size_t capacityBytes() const { return m_storage.size(); }

  private:
    std::size_t slotOf(std::uint64_t sequence) const { return sequence % m_capacity; }

    std::size_t m_preRoll = 0;
    std::size_t m_capacity = 0;  // slots
    std::vector<std::uint8_t> m_storage;
    std::vector<std::size_t> m_sizes;
    std::uint64_t m_next = 0;  // sequence number of the next buffer pushed
    std::size_t m_count = 0;   // buffers held, the newest ending at m_next - 1
    std::optional<std::uint64_t> m_trigger;
};

}  // namespace ambrin
