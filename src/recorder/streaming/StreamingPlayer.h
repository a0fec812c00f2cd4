#pragma once

#include <memory>
#include <string>

#include "core/EngineEvent.h"
#include "core/EngineParts.h"

namespace ambrin {

// Plays an OGG Vorbis recording through the program's own pipeline when the media graph
// cannot be used for it: a file source, a Vorbis decoder and a wave-output renderer, each on
// its own thread, joined by byte buffers.
//
// Notices go to the sink given at construction: 22 file opened (a FileOpenedEvent holding a
// StreamInfoEvent 35) when playing first starts, 35 now and then while decoding, 23 the
// position once per whole second (a TimeEvent whose last field is the position in seconds),
// 21 when everything has been heard, or 28 with an error text followed by 34.
//
// open() only opens the file: whether it holds a Vorbis stream is found out when playing
// starts, and a file that does not is reported as "Fail to initialize decoder." (28, then
// 34), as any later decoding failure is.
//
// Threads: every operation, and the destruction, on one thread (the engine's event thread).
// None of them blocks for longer than it takes the stages to reach a safe point.
class StreamingPlayer {
  public:
    explicit StreamingPlayer(EventSink& events);
    ~StreamingPlayer();
    StreamingPlayer(const StreamingPlayer&) = delete;
    StreamingPlayer& operator=(const StreamingPlayer&) = delete;

    // Builds and connects the chain and opens the file ("-" is standard input). False when
    // the file cannot be opened; nothing is posted then.
    bool open(const std::string& path);
    // Starts playing, or resumes after pause() or stop().
    void play();
    void pause();
    // Back to the start, not playing; play() begins again from there.
    void stop();
    // Moves to `tenths` tenths of a second (whole seconds are kept), playing or paused; a
    // paused player stays paused and announces the new position.
    void seek(Tenths position);

  private:
    enum class State { Closed, Opened, Playing, Paused, Stopped };

    struct Chain;
    void rewindTo(Tenths position, bool announce);

    EventSink& m_events;
    std::unique_ptr<Chain> m_chain;
    State m_state = State::Closed;
};

}  // namespace ambrin
