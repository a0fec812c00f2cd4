#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "core/EngineParts.h"
#include "platform/MediaGraph.h"
#include "platform/WorkerThread.h"

namespace ambrin {

class AppContext;

// Extension classes of recording files: by the text after the last dot, without case.
enum class ExtensionClass { Ogg = 0, Mpeg = 1, Wave = 2, Other = 3 };
ExtensionClass extensionClassOf(const std::string& path);

// Plays one recording. WAVE and MP3 play through the media graph; an OGG recording is first
// decoded into the temporary playback file "__temp__.wav" in the program folder and played from
// there, or, when that fails, through the streaming path. While playing, a monitor thread
// posts the position once per whole second (never position 0) and the end of the file.
//
// Threads: everything but the monitor runs on the engine's event thread.
class Player : public PlayerInterface {
  public:
    explicit Player(AppContext& context);
    ~Player() override;

    bool open(const std::string& path) override;
    void play() override;
    void pause() override;
    void stop() override;
    void seek(std::chrono::milliseconds position) override;
    std::chrono::milliseconds seekUnit() const override;

    bool opened() const { return m_opened; }
    ExtensionClass extensionClass() const { return m_class; }
    double length() const { return m_length; }
    bool streaming() const;

  private:
    void monitor();
    void stopMonitor();
    void post(std::unique_ptr<EngineEvent> event);

    AppContext& m_context;
    std::unique_ptr<MediaGraph> m_graph;
    struct Streaming;
    std::unique_ptr<Streaming> m_streaming;
    bool m_opened = false;
    ExtensionClass m_class = ExtensionClass::Other;
    std::string m_path;
    double m_length = 0;
    std::atomic<bool> m_running{false};
    WorkerThread m_monitor;
};

}  // namespace ambrin
