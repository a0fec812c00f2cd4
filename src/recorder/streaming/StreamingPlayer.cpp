#include "recorder/streaming/StreamingPlayer.h"

#include "recorder/streaming/FileSource.h"
#include "recorder/streaming/StreamNotifier.h"
#include "recorder/streaming/StreamResult.h"
#include "recorder/streaming/VorbisDecoder.h"
#include "recorder/streaming/WaveRenderer.h"

namespace ambrin {

// The stages in the order the audio flows. Members are destroyed in reverse order, so every
// stage outlives the ones reading from it; the destructor stops all threads before that.
struct StreamingPlayer::Chain {
    explicit Chain(EventSink& events)
        : notifier(events), source(notifier), decoder(notifier), renderer(notifier) {
        decoder.connect(source);
        renderer.connect(decoder);
    }

    ~Chain() {
        notifier.silence();
        // Ask all three first, so that none waits on a stage that is already gone.
        renderer.requestStop();
        decoder.requestStop();
        source.requestStop();
        renderer.join();
        decoder.join();
        source.join();
    }

    StreamNotifier notifier;
    FileSource source;
    VorbisDecoder decoder;
    WaveRenderer renderer;
};

StreamingPlayer::StreamingPlayer(EventSink& events) : m_events(events) {}

StreamingPlayer::~StreamingPlayer() = default;

bool StreamingPlayer::open(const std::string& path) {
    m_chain.reset();
    m_state = State::Closed;
    auto chain = std::make_unique<Chain>(m_events);
    if (chain->source.open(path) != StreamResult::Done) {
        return false;
    }
    if (!chain->source.launch() || !chain->decoder.launch() || !chain->renderer.launch()) {
        return false;
    }
    m_chain = std::move(chain);
    m_state = State::Opened;
    return true;
}

void StreamingPlayer::play() {
    switch (m_state) {
        case State::Opened:
            m_chain->source.start();
            m_chain->decoder.start();
            m_chain->renderer.start();
            m_state = State::Playing;
            break;
        case State::Paused:
        case State::Stopped:
            m_chain->renderer.setPaused(false);
            m_state = State::Playing;
            break;
        case State::Closed:
        case State::Playing:
            break;
    }
}

void StreamingPlayer::pause() {
    if (m_state == State::Playing) {
        m_chain->renderer.setPaused(true);
        m_state = State::Paused;
    }
}

void StreamingPlayer::stop() {
    if (m_state == State::Closed) {
        return;
    }
    if (m_state != State::Opened) {
        m_chain->renderer.setPaused(true);
        m_state = State::Stopped;
    }
    rewindTo(Tenths(0), false);
}

void StreamingPlayer::seek(Tenths position) {
    if (m_state != State::Closed) {
        rewindTo(position < Tenths(0) ? Tenths(0) : position, true);
    }
}

// Parks the renderer and the decoder where they hold no block, resets the device, empties the
// decoder's output and points the decoder at the new position. The source is moved by the
// decoder itself, through its seek callback, when it repositions the stream.
void StreamingPlayer::rewindTo(Tenths position, bool announce) {
    Chain& chain = *m_chain;
    chain.renderer.hold();
    chain.decoder.hold();
    chain.renderer.rewind(announce);
    chain.decoder.output().rewind();
    chain.decoder.items().clear();
    chain.decoder.seekTo(position);
    chain.decoder.proceed();
    chain.renderer.proceed();
}

}  // namespace ambrin
