#include "recorder/Player.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "codec/Mp3Duration.h"
#include "codec/WavFileWriter.h"
#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "platform/Folders.h"
#include "platform/TextHelpers.h"
#include "recorder/streaming/StreamingPlayer.h"

namespace ambrin {

ExtensionClass extensionClassOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return ExtensionClass::Other;
    }
    const std::string extension = asciiLower(path.substr(dot + 1));
    if (extension == "ogg") {
        return ExtensionClass::Ogg;
    }
    if (extension == "mp3" || extension == "mp2" || extension == "mp1") {
        return ExtensionClass::Mpeg;
    }
    if (extension == "wav") {
        return ExtensionClass::Wave;
    }
    return ExtensionClass::Other;
}

struct Player::Streaming {
    explicit Streaming(EventSink& events) : player(events) {}
    StreamingPlayer player;
};

Player::Player(AppContext& context) : m_context(context) {}

Player::~Player() {
    stopMonitor();
    m_streaming.reset();
    m_graph.reset();
}

bool Player::streaming() const {
    return m_streaming != nullptr;
}

void Player::post(std::unique_ptr<EngineEvent> event) {
    if (m_context.events != nullptr) {
        m_context.events->postEvent(std::move(event));
    }
}

bool Player::open(const std::string& path) {
    m_opened = false;
    m_class = extensionClassOf(path);
    m_path = path;
    std::string playable = path;
    if (m_class == ExtensionClass::Ogg) {
        const std::string temporary = temporaryPlaybackFile();
        if (WavFileWriter().convert(path, temporary)) {
            m_class = ExtensionClass::Mpeg;  // played through the graph like any other file
            playable = temporary;
        } else {
            if (m_context.events == nullptr) {
                return false;
            }
            m_streaming = std::make_unique<Streaming>(*m_context.events);
            m_opened = m_streaming->player.open(path);
            if (!m_opened) {
                m_streaming.reset();
            }
            return m_opened;
        }
    }
    if (m_class == ExtensionClass::Other) {
        return false;
    }
    auto graph = std::make_unique<MediaGraph>();
    if (!graph->open(playable)) {
        return false;
    }
    m_graph = std::move(graph);
    m_opened = true;
    double duration = m_graph->duration();
    // Bare MPEG frames without an information header (our own recordings) leave the graph
    // without a length until it has read the whole file; the frames themselves tell it.
    if (duration <= 0 && playable == path && extensionClassOf(path) == ExtensionClass::Mpeg) {
        duration = mp3DurationSeconds(path);
    }
    m_length = duration > 0 ? std::trunc(duration) : 0;
    post(std::make_unique<FileOpenedEvent>(m_length, cutToBytes(path, kTextCapacity - 1)));
    return true;
}

void Player::play() {
    if (!m_opened) {
        return;
    }
    if (m_streaming) {
        m_streaming->player.play();
        return;
    }
    if (!m_graph->run()) {
        return;
    }
    if (!m_monitor.isRunning()) {
        m_monitor.wait();
        m_running.store(true, std::memory_order_release);
        m_monitor.start([this] { monitor(); });
    }
}

void Player::pause() {
    if (!m_opened) {
        return;
    }
    if (m_streaming) {
        m_streaming->player.pause();
        return;
    }
    m_graph->pause();
}

void Player::stop() {
    if (!m_opened) {
        return;
    }
    if (m_streaming) {
        m_streaming->player.stop();
        m_opened = false;
        return;
    }
    stopMonitor();
    m_graph->stop();
    m_opened = false;
}

void Player::seek(std::chrono::milliseconds position) {
    if (!m_opened) {
        return;
    }
    if (m_streaming) {
        m_streaming->player.seek(std::chrono::duration_cast<Tenths>(position));
        return;
    }
    m_graph->seek(std::chrono::duration<double>(position).count());
}

std::chrono::milliseconds Player::seekUnit() const {
    if (m_streaming) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Tenths(1));
    }
    return std::chrono::seconds(1);
}

void Player::stopMonitor() {
    m_running.store(false, std::memory_order_release);
    m_monitor.wait();
}

void Player::monitor() {
    long previous = 0;
    const auto announce = [this, &previous](long position) {
        if (position != previous) {
            post(std::make_unique<TimeEvent>(static_cast<int>(position / 3600),
                                             static_cast<int>(position % 3600 / 60),
                                             static_cast<int>(position % 60), m_length));
        }
        previous = position;
    };
    while (m_running.load(std::memory_order_acquire)) {
        const double now = m_graph->position();
        announce(now > 0 ? static_cast<long>(now) : 0);
        const MediaGraph::Event event = m_graph->waitEvent(std::chrono::milliseconds(100));
        if (event == MediaGraph::Event::EndOfStream) {
            // The last samples end a hair before the last whole second: the end is the length.
            announce(std::max(previous, static_cast<long>(m_length)));
        }
        if (event != MediaGraph::Event::None) {
            // The end, or an error the graph cannot go on from: either way the file is done.
            post(std::make_unique<EngineEvent>(EventCode::EndOfPlayback));
            break;
        }
    }
}

}  // namespace ambrin
