// The mixer against the private sound server: its pipe source has no ports to choose from,
// its null sink has a volume.

#include "recorder/InputMixer.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "support/AudioLine.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;

TEST(InputMixerPercent, ConversionsRoundHalvesUpAndWriteByIntegerDivision) {
    EXPECT_EQ(InputMixer::fromPercent(50, 0, 65535), 32767u);
    EXPECT_EQ(InputMixer::toPercent(32767, 0, 65535), 50);
    EXPECT_EQ(InputMixer::toPercent(0, 0, 65535), 0);
    EXPECT_EQ(InputMixer::toPercent(65535, 0, 65535), 100);
    EXPECT_EQ(InputMixer::toPercent(5, 0, 10), 50);
    EXPECT_EQ(InputMixer::toPercent(1, 0, 200), 1);  // 0.5 rounds up
    EXPECT_EQ(InputMixer::toPercent(7, 0, 0), -1);   // no range: no control
    for (int percent = 0; percent <= 100; ++percent) {
        EXPECT_EQ(InputMixer::toPercent(InputMixer::fromPercent(percent, 0, Mixer::kFullScale), 0,
                                        Mixer::kFullScale),
                  percent);
    }
}

TEST(VolumeWaveform, OneKilobyteGivesTwoHundredFiftyFivePointsInsideTheView) {
    LevelBlock::Snapshot level;
    level.byteCount = 1024;
    for (std::size_t i = 0; i < level.samples.size(); ++i) {
        level.samples[i] = static_cast<std::int16_t>(i % 2 == 0 ? 32767 : -32768);
    }
    const auto points = volumeWaveform(level, 300, 100);
    ASSERT_EQ(points.size(), 255u);
    for (const auto& point : points) {
        EXPECT_GT(point.y, 0);  // clamped inside the view
        EXPECT_LT(point.y, 100);
        EXPECT_LE(point.x, 300);
    }
    EXPECT_LT(points.front().x, points.back().x);
    level.samples.fill(0);
    EXPECT_EQ(volumeWaveform(level, 300, 100).front().y, 50);  // silence on the middle line
    level.byteCount = 2;  // too little to step through: nothing, and no division by zero
    EXPECT_TRUE(volumeWaveform(level, 300, 100).empty());
}

class InputMixerTest : public test::EnvironmentTest {
  protected:
    InputMixerTest() : line(env), settings(env.path("opt") + "/") { context.settings = &settings; }

    static int pactl(const std::string& arguments) {
        return std::system(("pactl " + arguments + " >/dev/null 2>&1").c_str());
    }

    test::AudioLine line;
    SettingsStore settings;
    AppContext context;
};

class CountingWindow : public MainWindowInterface {
  public:
    bool start() override { return true; }
    void onEvent(const EngineEvent&) override {}
    std::string selectedFile() override { return {}; }
    void performAction(std::string_view) override {}
    void openManual() override {}
    void onMixerChange() override { ++changes; }
    std::atomic<int> changes{0};
};

TEST_F(InputMixerTest, VolumesOfTheDefaultSourceAndSink) {
    ASSERT_TRUE(line.available());
    InputMixer mixer(context, nullptr);
    const int recording = mixer.recordVolume();
    const int playback = mixer.playbackVolume();
    ASSERT_GE(recording, 0);
    ASSERT_GE(playback, 0);
    mixer.setRecordVolume(37);
    mixer.setPlaybackVolume(64);
    EXPECT_EQ(mixer.recordVolume(), 37);
    EXPECT_EQ(mixer.playbackVolume(), 64);
    mixer.setRecordVolume(recording);
    mixer.setPlaybackVolume(playback);
}

TEST_F(InputMixerTest, SourceIsUnmutedAndAPipeSourceHasNoInputsToChoose) {
    ASSERT_TRUE(line.available());
    ASSERT_EQ(pactl("set-source-mute pipesrc 1"), 0);
    EXPECT_EQ(InputMixer::selectInputSource(InputLine::Line), MixerResult::NoPorts);
    EXPECT_FALSE(InputMixer::hasInputSource(InputLine::Line));
    Mixer raw;
    const auto source = raw.defaultSource();
    ASSERT_TRUE(source.has_value());
    EXPECT_FALSE(source->muted);
    EXPECT_EQ(source->name, "pipesrc");
}

TEST_F(InputMixerTest, AChangeMadeElsewhereArrivesAsANotice) {
    ASSERT_TRUE(line.available());
    CountingWindow window;
    InputMixer mixer(context, &window);
    const int before = window.changes.load();
    ASSERT_EQ(pactl("set-sink-volume nullsink 40%"), 0);
    for (int i = 0; i < 200 && window.changes.load() == before; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_GT(window.changes.load(), before);
    EXPECT_EQ(mixer.playbackVolume(), 40);
}

TEST_F(InputMixerTest, WithoutAServerVolumesAreMinusOne) {
    env.setVariable("PULSE_SERVER", "unix:" + env.path("none"));
    InputMixer mixer(context, nullptr);
    EXPECT_EQ(mixer.recordVolume(), -1);
    EXPECT_EQ(mixer.playbackVolume(), -1);
    mixer.setRecordVolume(50);  // no effect, no crash
    EXPECT_EQ(InputMixer::selectInputSource(InputLine::Microphone), MixerResult::NoServer);
}

// A sound server's socket whose daemon is gone: the address exists and refuses every
// connection. start() puts a real daemon of the test's own behind the same address.
class RefusingServer {
  public:
    explicit RefusingServer(std::string folder) : m_folder(std::move(folder)) {
        ::mkdir(m_folder.c_str(), 0700);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath().c_str(), sizeof address.sun_path - 1);
        m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        m_bound = m_socket >= 0 && ::bind(m_socket, reinterpret_cast<const sockaddr*>(&address),
                                          sizeof address) == 0;
    }
    ~RefusingServer() {
        closeSocket();
        std::system(
            (std::string(AMBRIN_TEST_AUDIO_SCRIPT) + " stop " + m_folder + " >/dev/null 2>&1")
                .c_str());
    }
    bool refusing() const { return m_bound; }
    std::string address() const { return "unix:" + socketPath(); }
    bool start() {
        closeSocket();
        return std::system(
                   (std::string(AMBRIN_TEST_AUDIO_SCRIPT) + " start " + m_folder).c_str()) == 0;
    }

  private:
    std::string socketPath() const { return m_folder + "/native"; }
    void closeSocket() {
        if (m_socket >= 0) {
            ::close(m_socket);
            ::unlink(socketPath().c_str());
            m_socket = -1;
        }
    }

    std::string m_folder;
    int m_socket = -1;
    bool m_bound = false;
};

TEST_F(InputMixerTest, ARefusedConnectionGivesTheCodeAndALaterServerIsPickedUp) {
    RefusingServer server(env.path("server"));
    ASSERT_TRUE(server.refusing());
    env.setVariable("PULSE_SERVER", server.address());
    InputMixer mixer(context, nullptr);
    EXPECT_EQ(InputMixer::selectInputSource(InputLine::Microphone), MixerResult::NoServer);
    EXPECT_EQ(mixer.recordVolume(), -1);
    EXPECT_EQ(mixer.playbackVolume(), -1);
    // Refused again: the failed attempt left nothing behind that the next one could wait on.
    auto raw = std::make_unique<Mixer>();
    EXPECT_FALSE(raw->connect());
    EXPECT_FALSE(raw->connect());
    EXPECT_FALSE(raw->connected());

    ASSERT_TRUE(server.start());
    EXPECT_TRUE(raw->connect());
    // One connection at a time: libpulse's lock-free lists shared by connections are invisible
    // to the thread sanitizer.
    raw.reset();
    mixer.setPlaybackVolume(64);
    EXPECT_EQ(mixer.playbackVolume(), 64);
    EXPECT_GE(mixer.recordVolume(), 0);
    EXPECT_EQ(InputMixer::selectInputSource(InputLine::Line), MixerResult::NoPorts);
}

}  // namespace
}  // namespace ambrin
