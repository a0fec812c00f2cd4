#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "core/EngineEvent.h"

namespace ambrin {

// The streaming path's one way to the engine: every stage posts its notices here.
//
// A failure is posted once, as the error text (28) followed by the playback error (34); from
// then on the path stays silent, as it does once teardown has begun.
//
// Threads: any stage thread. The mutex is held while posting so that 28 and 34 arrive
// together and nothing else lands after them; the engine's postEvent only queues.
class StreamNotifier {
  public:
    explicit StreamNotifier(EventSink& sink) : m_sink(sink) {}

    // False when the notice was dropped (after a failure, or while tearing down).
    bool post(std::unique_ptr<EngineEvent> event);
    // Posts string `stringId` in the calling thread's language as 28, then 34. Only the first
    // failure is reported.
    void fail(int stringId);
    bool failed() const { return m_failed.load(std::memory_order_acquire); }
    // Teardown: nothing more is posted.
    void silence();

  private:
    EventSink& m_sink;
    std::mutex m_mutex;  // serialises posting
    bool m_silent = false;
    std::atomic<bool> m_failed{false};  // also read without the mutex by the stages' loops
};

}  // namespace ambrin
