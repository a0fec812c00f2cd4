#pragma once

#include <chrono>
#include <functional>
#include <string>

struct pa_context;
struct pa_mainloop_api;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

namespace ambrin {

// One connection to the sound server through the PulseAudio client library: a threaded main
// loop and a context on it, connected without ever starting a server. The capture device, the
// output device and the mixer each own one.
//
// Threads: connect() and the destructor on the owner's thread, without the lock. Everything
// else that touches the library happens under a Lock (the library's callbacks run on the
// loop's thread, which holds it already). A connection that failed leaves nothing behind:
// no loop, no thread, no context.
class PulseConnection {
  public:
    // Holds the loop's lock for its lifetime.
    class Lock {
      public:
        explicit Lock(const PulseConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        pa_threaded_mainloop* m_loop;
    };

    explicit PulseConnection(std::string clientName);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Creates the loop and the context, starts the loop's thread and waits until the server
    // has accepted the context, for at most `timeout`. False, with the reason in `error`, when
    // it refused, could not be reached or did not answer; everything is then freed again.
    bool connect(std::chrono::milliseconds timeout, std::string* error = nullptr);
    // Disconnects and frees everything; connect() may follow. Without the lock.
    void close();
    bool isOpen() const { return m_loop != nullptr; }

    // Under the lock.
    bool ready() const;
    pa_context* context() const { return m_context; }
    pa_threaded_mainloop* loop() const { return m_loop; }
    pa_mainloop_api* api() const;
    // Waits for a signal() from the loop's thread (a callback). Under the lock.
    void wait() const;
    // Wakes whoever waits. Under the lock, normally in a callback.
    void signal() const;
    // Waits until `done` holds, with the lock, for at most `timeout`. The library's callbacks
    // that may change what `done` looks at must signal(). True when `done` held.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) const;
    // Waits for an operation to end and releases it. False for a null operation or one that
    // did not complete (the server went away meanwhile). Under the lock; the operation's
    // callback must signal().
    bool waitFor(pa_operation* operation) const;
    // Clears the stream's callbacks, disconnects it when connected, releases it and sets it to
    // null. Under the lock; a null stream is left alone.
    static void releaseStream(pa_stream*& stream);
    // "what: <the library's text for the context's last error>".
    std::string error(const char* what) const;

    // A callback argument for the library's callbacks that only wake the waiting thread:
    // pass the connection as the user data.
    static void wake(void* connection);

  private:
    std::string m_clientName;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_running = false;  // the loop's thread was started
};

}  // namespace ambrin
