#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct pa_context;
struct pa_operation;

namespace ambrin {

// The sound server's mixer, through the PulseAudio client library: the default source's ports
// (which input records), its volume and mute, the default sink's volume, and change notices.
// Volumes are raw values from 0 to full scale (kFullScale, 100 %).
//
// Thread-safe: every operation waits for the server on the library's own thread, under its
// lock. Change notices arrive on that thread and must not wait for anything.
class Mixer {
  public:
    static constexpr std::uint32_t kFullScale = 0x10000;  // PA_VOLUME_NORM

    enum class PortKind { Microphone, Line, Other };
    struct Port {
        std::string name;
        std::string description;
        PortKind kind = PortKind::Other;
    };
    struct Source {
        std::string name;
        std::string description;
        std::vector<Port> ports;
        std::string activePort;
        std::uint32_t volume = 0;  // first channel
        std::uint8_t channels = 1;
        bool muted = false;
    };
    struct Sink {
        std::string name;
        std::uint32_t volume = 0;  // first channel
        std::uint8_t channels = 1;
    };

    Mixer();
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Connects to the sound server (never starting one). False when it cannot be reached.
    bool connect();
    bool connected() const;

    std::optional<Source> defaultSource();
    std::optional<Sink> defaultSink();
    bool setSourcePort(const std::string& source, const std::string& port);
    // Sets every channel to `volume`.
    bool setSourceVolume(const std::string& source, std::uint8_t channels, std::uint32_t volume);
    bool setSourceMute(const std::string& source, bool muted);
    bool setSinkVolume(const std::string& sink, std::uint8_t channels, std::uint32_t volume);

    // Called on the library's thread when a source, sink or the server's defaults change.
    void onChange(std::function<void()> notice);

  private:
    // Sends one change to the server and waits for its answer: `request` issues it with the
    // completion callback and its data. True when the server did it.
    using SuccessCallback = void (*)(pa_context*, int, void*);
    bool change(const std::function<pa_operation*(pa_context*, SuccessCallback, void*)>& request);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace ambrin
