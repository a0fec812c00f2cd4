// Costs of the foundation's hot paths: a settings read (every setting is read from the
// stored key when needed) and an event's trip through the engine queue.

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/EngineController.h"
#include "core/AppContext.h"
#include "core/EngineParts.h"
#include "core/SettingsStore.h"
#include "platform/WindowEndpoint.h"

namespace {

class TempConfig {
  public:
    TempConfig() {
        char pattern[] = "/tmp/ambench.XXXXXX";
        m_root = ::mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_root.c_str(), 1);
    }
    ~TempConfig() { std::filesystem::remove_all(m_root); }
    const std::string& root() const { return m_root; }

  private:
    std::string m_root;
};

// A command's round trip through a window endpoint while `range(0)` local clients hold idle
// connections open (the endpoint closes the oldest past its cap and each at its deadline, so
// the idle ones are opened again every round).
void BM_EndpointSendBesideIdleClients(benchmark::State& state) {
    TempConfig config;
    auto endpoint = ambrin::WindowEndpoint::create(
        "Bench", "Bench", [](const ambrin::WindowMessage& m) { return m.wParam; });
    const std::string path = ambrin::WindowEndpoint::socketPath("Bench", "Bench");
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<int> idle;
        for (int i = 0; i < state.range(0); ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
            idle.push_back(fd);
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            ambrin::WindowEndpoint::send("Bench", "Bench", {ambrin::kWmCommand, 1, 0}));
        state.PauseTiming();
        for (int fd : idle) {
            ::close(fd);
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EndpointSendBesideIdleClients)->Arg(0)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_SettingsReadInt(benchmark::State& state) {
    TempConfig config;
    ambrin::SettingsStore store(config.root() + "/");
    for (auto _ : state) {
        int value = 0;
        benchmark::DoNotOptimize(store.readInt(ambrin::setting::kTimeOfCallEnd, value));
    }
}
BENCHMARK(BM_SettingsReadInt);

void BM_SettingsWriteInt(benchmark::State& state) {
    TempConfig config;
    ambrin::SettingsStore store(config.root() + "/");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.writeInt(ambrin::setting::kTimeMode, ++i & 1));
    }
}
BENCHMARK(BM_SettingsWriteInt);

// Post → event thread → broadcast to a window, measured as throughput.
class CountingWindow : public ambrin::MainWindowInterface {
  public:
    CountingWindow(ambrin::AppContext& context, std::atomic<long>& seen)
        : m_context(context), m_seen(seen) {}
    bool start() override {
        m_context.registry->registerObject("MainWindow",
                                           std::make_shared<ambrin::MainWindowObject>(this));
        return true;
    }
    void onEvent(const ambrin::EngineEvent&) override {
        m_seen.fetch_add(1, std::memory_order_release);
    }
    std::string selectedFile() override { return {}; }
    void performAction(std::string_view) override {}
    void openManual() override {}

  private:
    ambrin::AppContext& m_context;
    std::atomic<long>& m_seen;
};

void BM_EventRoundTrip(benchmark::State& state) {
    TempConfig config;
    std::atomic<long> seen{0};
    ambrin::AppContext context;
    ambrin::EngineParts parts;
    parts.makeMainWindow = [&](ambrin::AppContext&) {
        return std::make_unique<CountingWindow>(context, seen);
    };
    parts.sleep = [](std::chrono::milliseconds) {};
    ambrin::EngineController controller(context, parts);
    controller.start();
    long posted = 0;
    for (auto _ : state) {
        controller.postEvent(
            std::make_unique<ambrin::EngineEvent>(ambrin::EventCode::SettingsChanged));
        ++posted;
        while (seen.load(std::memory_order_acquire) < posted) {
        }
    }
}
BENCHMARK(BM_EventRoundTrip);

}  // namespace

BENCHMARK_MAIN();
