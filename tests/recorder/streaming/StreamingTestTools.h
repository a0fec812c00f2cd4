#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/EngineEvent.h"
#include "support/AudioLine.h"
#include "support/TestEnvironment.h"

// Helpers of the streaming-path tests: a sink that keeps what the path posts, OGG files made
// by sox and oggenc, the private sound server, and a watch on the process's threads.
namespace ambrin::test {

using namespace std::chrono_literals;

// Keeps every posted event; the test thread waits for them.
class CollectingSink : public EventSink {
  public:
    int postEvent(std::unique_ptr<EngineEvent> event) override {
        std::lock_guard lock(m_mutex);
        if (event) {
            m_events.push_back(std::move(event));
        }
        m_posted.notify_all();
        return 0;
    }

    // Waits until `ready` holds for the events so far; false after `timeout`.
    bool waitUntil(
        const std::function<bool(const std::vector<std::unique_ptr<EngineEvent>>&)>& ready,
        std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_posted.wait_for(lock, timeout, [&] { return ready(m_events); });
    }
    bool waitForCode(EventCode code, std::chrono::milliseconds timeout) {
        return waitUntil([code](const auto& events) { return countOf(events, code) > 0; }, timeout);
    }
    // Waits for a time notice of `seconds` whole seconds after the first `skip` events.
    bool waitForSecond(int seconds, std::chrono::milliseconds timeout, std::size_t skip = 0) {
        return waitUntil(
            [&](const auto& events) {
                for (std::size_t i = skip; i < events.size(); ++i) {
                    if (wholeSecondsOf(*events[i]) == seconds) {
                        return true;
                    }
                }
                return false;
            },
            timeout);
    }

    std::size_t size() const {
        std::lock_guard lock(m_mutex);
        return m_events.size();
    }
    std::vector<EventCode> codes() const {
        std::lock_guard lock(m_mutex);
        std::vector<EventCode> codes;
        for (const auto& event : m_events) {
            codes.push_back(event->code());
        }
        return codes;
    }
    // Whole seconds of the time notices from event `from` on, in order.
    std::vector<int> seconds(std::size_t from = 0) const {
        std::lock_guard lock(m_mutex);
        std::vector<int> seconds;
        for (std::size_t i = from; i < m_events.size(); ++i) {
            if (const int s = wholeSecondsOf(*m_events[i]); s >= 0) {
                seconds.push_back(s);
            }
        }
        return seconds;
    }
    // Runs `look` on the events under the lock.
    void inspect(
        const std::function<void(const std::vector<std::unique_ptr<EngineEvent>>&)>& look) const {
        std::lock_guard lock(m_mutex);
        look(m_events);
    }

    static int wholeSecondsOf(const EngineEvent& event) {
        const auto* time = dynamic_cast<const TimeEvent*>(&event);
        return time == nullptr ? -1 : time->hours * 3600 + time->minutes * 60 + time->seconds;
    }
    static std::size_t countOf(const std::vector<std::unique_ptr<EngineEvent>>& events,
                               EventCode code) {
        std::size_t count = 0;
        for (const auto& event : events) {
            count += event->code() == code ? 1 : 0;
        }
        return count;
    }

  private:
    mutable std::mutex m_mutex;  // guards m_events
    std::condition_variable m_posted;
    std::vector<std::unique_ptr<EngineEvent>> m_events;
};

inline bool toolInstalled(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command quietly; true when it exits with 0.
inline bool runQuietly(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

// A WAVE file of a sweeping tone, 8000 Hz, 16-bit, mono, made by sox.
inline std::string makeWave(TestEnvironment& env, const std::string& name, double seconds) {
    const std::string wave = env.path(name + ".wav");
    runQuietly("sox -n -r 8000 -c 1 -b 16 " + quoted(wave) + " synth " + std::to_string(seconds) +
               " sine 300-900");
    return wave;
}

// The same tone encoded by oggenc, as the program's own recordings are.
inline std::string makeOgg(TestEnvironment& env, const std::string& name, double seconds) {
    const std::string wave = makeWave(env, name, seconds);
    const std::string ogg = env.path(name + ".ogg");
    runQuietly("oggenc -Q -o " + quoted(ogg) + " " + quoted(wave));
    return ogg;
}

// Noise at a high quality: many Ogg pages of audio, where a tone of a few seconds fits in one.
inline std::string makeNoisyOgg(TestEnvironment& env, const std::string& name, double seconds) {
    const std::string wave = env.path(name + ".wav");
    const std::string ogg = env.path(name + ".ogg");
    runQuietly("sox -n -r 8000 -c 1 -b 16 " + quoted(wave) + " synth " + std::to_string(seconds) +
               " whitenoise vol 0.5");
    runQuietly("oggenc -Q -q 6 -o " + quoted(ogg) + " " + quoted(wave));
    return ogg;
}

// Points PULSE_SERVER at the private sound server of this test run. False when it is not up.
inline bool useAudioServer(TestEnvironment& env) {
    const std::string socket = AudioLine::serverFolder() + "/native";
    env.setVariable("PULSE_SERVER", "unix:" + socket);
    struct stat info {};
    return ::stat(socket.c_str(), &info) == 0;
}

// Threads of this process now.
inline int threadCount() {
    int count = 0;
    if (DIR* tasks = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(tasks)) {
            count += entry->d_name[0] != '.' ? 1 : 0;
        }
        ::closedir(tasks);
    }
    return count;
}

// Threads of this process once those that are ending have gone: a joined thread can still
// be listed for a moment while the kernel finishes it (long enough to see on a loaded
// machine), so the count is taken when it has held for 50 ms. A thread that outlives its
// owner stays, and the count with it.
inline int settledThreadCount() {
    int count = threadCount();
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const int now = threadCount();
        if (now == count) {
            break;
        }
        count = now;
    }
    return count;
}

// Runs `work` on a helper thread; a test whose work does not end in time fails at once
// rather than hanging the run.
inline void finishWithin(std::chrono::milliseconds limit, const std::function<void()>& work,
                         const std::string& what) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::thread helper([&] {
        work();
        std::lock_guard lock(mutex);
        done = true;
        ended.notify_all();
    });
    std::unique_lock lock(mutex);
    if (!ended.wait_for(lock, limit, [&] { return done; })) {
        ADD_FAILURE() << what << " did not finish within " << limit.count() << " ms";
        std::_Exit(1);
    }
    lock.unlock();
    helper.join();
}

}  // namespace ambrin::test
