#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace ambrin {

// Plays one media file through GStreamer's playbin on the default audio output (or the
// element that AMBRIN_AUDIO_SINK names, e.g. "fakesink sync=true", for tests).
//
// Control calls come from one thread (the engine's event thread); waitEvent() from the
// player's monitor thread. GStreamer runs its own streaming threads.
class MediaGraph {
  public:
    enum class Event { None, EndOfStream, Error };

    MediaGraph();
    ~MediaGraph();
    MediaGraph(const MediaGraph&) = delete;
    MediaGraph& operator=(const MediaGraph&) = delete;

    // Builds the graph for the file and prepares it (paused at the start). False when the file
    // is missing or no decoder takes it.
    bool open(const std::string& path);
    bool run();
    bool pause();
    // Stops and goes back to the start.
    bool stop();
    bool seek(double seconds);
    // Seconds; negative when not known.
    double duration() const;
    double position() const;

    // Waits up to `timeout` for the end of the stream or an error.
    Event waitEvent(std::chrono::milliseconds timeout);
    // Why the graph failed, when it did.
    std::string error() const { return m_error; }

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_error;
};

}  // namespace ambrin
