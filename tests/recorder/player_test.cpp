// Playback through the real media graph (GStreamer) and the real engine controller. The audio
// goes to a clocked fake sink, so positions advance in real time without a sound card.

#include "recorder/Player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <condition_variable>
#include <cstdlib>
#include <thread>

#include "app/EngineController.h"
#include "codec/Mp3Sink.h"
#include "codec/WavSink.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "support/Signals.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;

// Every broadcast as the headless console shows it.
class Broadcasts : public MainWindowInterface {
  public:
    explicit Broadcasts(AppContext& context) : m_context(context) {}
    bool start() override {
        m_context.registry->registerObject("MainWindow", std::make_shared<MainWindowObject>(this));
        return true;
    }
    void onEvent(const EngineEvent& event) override {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(event.describe());
        m_changed.notify_all();
    }
    std::string selectedFile() override { return {}; }
    void performAction(std::string_view) override {}
    void openManual() override {}

    bool waitFor(const std::string& prefix, std::chrono::milliseconds timeout = 20s) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return indexOf(prefix) >= 0; });
    }
    long indexOf(const std::string& prefix) const {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].rfind(prefix, 0) == 0) {
                return static_cast<long>(i);
            }
        }
        return -1;
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
    }

  private:
    AppContext& m_context;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
};

class PlayerTest : public test::EnvironmentTest {
  protected:
    PlayerTest() : settings(env.path("opt") + "/") {
        env.setVariable("AMBRIN_AUDIO_SINK", "fakesink sync=true");
        settings.writeBool(setting::kAutoVolume, true);
        context.settings = &settings;
        EngineParts parts;
        parts.makeMainWindow = [this](AppContext& c) {
            auto made = std::make_unique<Broadcasts>(c);
            window = made.get();
            return made;
        };
        parts.makePlayer = [](AppContext& c) { return std::make_unique<Player>(c); };
        controller = std::make_unique<EngineController>(context, parts);
        controller->start();
    }
    ~PlayerTest() override {
        controller.reset();
        ::unlink(temporaryPlaybackFile().c_str());
        ::rmdir(temporaryPlaybackFile().c_str());
    }

    std::string wave(const std::string& name, double seconds) {
        const std::string path = env.path(name);
        WavSink sink(1, 16, 8000, 0);
        EXPECT_TRUE(sink.open(path));
        const auto bytes = signals::toBytes(signals::tone(440, seconds, 8000));
        sink.write(reinterpret_cast<const std::int16_t*>(bytes.data()), bytes.size());
        sink.close();
        return path;
    }

    std::string ogg(const std::string& name, double seconds) {
        const std::string source = wave(name + ".wav", seconds);
        const std::string path = env.path(name);
        const std::string command = "oggenc -Q -q 0 -o '" + path + "' '" + source + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return path;
    }

    void play(const std::string& path) {
        context.setCurrentFile(path);
        controller->postEvent(std::make_unique<EngineEvent>(EventCode::Play));
    }
    void post(EventCode code, int parameter = 0) {
        controller->postEvent(std::make_unique<EngineEvent>(code, parameter));
    }

    SettingsStore settings;
    AppContext context;
    Broadcasts* window = nullptr;
    std::unique_ptr<EngineController> controller;
};

TEST_F(PlayerTest, ATenSecondRecordingCountsEverySecondThenEnds) {
    play(wave("call.wav", 10.0));
    ASSERT_TRUE(window->waitFor("26 playing", 5s));
    ASSERT_TRUE(window->waitFor("21 end-of-playback", 20s));
    const auto lines = window->lines();
    std::vector<std::string> times;
    for (const auto& line : lines) {
        if (line.rfind("23 time", 0) == 0) {
            times.push_back(line.substr(8, line.find(" of") - 8));
        }
    }
    EXPECT_EQ(times, (std::vector<std::string>{"0:0:1", "0:0:2", "0:0:3", "0:0:4", "0:0:5", "0:0:6",
                                               "0:0:7", "0:0:8", "0:0:9", "0:0:10"}));
    EXPECT_GE(window->indexOf("22 file-opened"), 0);
    EXPECT_LT(window->indexOf("24 idle"), window->indexOf("21 end-of-playback"));
    EXPECT_EQ(controller->state(), EngineState::Idle);
}

TEST_F(PlayerTest, PauseKeepsThePlaceAndStopStartsOver) {
    play(wave("call.wav", 4.0));
    ASSERT_TRUE(window->waitFor("23 time 0:0:1"));
    post(EventCode::Pause);
    ASSERT_TRUE(window->waitFor("25 paused"));
    std::this_thread::sleep_for(1500ms);
    EXPECT_LT(window->indexOf("23 time 0:0:3"), 0);  // time stands still while paused
    post(EventCode::Seek, 2);                        // seeking while paused stays paused
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(controller->state(), EngineState::Paused);
    window->clear();
    post(EventCode::Play);  // resumes the same file from where it stands
    ASSERT_TRUE(window->waitFor("23 time 0:0:3", 5s));
    EXPECT_LT(window->indexOf("23 time 0:0:1"), 0);
    post(EventCode::Stop);
    ASSERT_TRUE(window->waitFor("24 idle"));
    window->clear();
    post(EventCode::Play);  // a new player, from the start
    ASSERT_TRUE(window->waitFor("23 time 0:0:1", 5s));
    post(EventCode::Stop);
    ASSERT_TRUE(window->waitFor("24 idle"));
}

TEST_F(PlayerTest, UnknownOrMissingFilesAreNotPlayed) {
    const std::string text = env.path("notes.txt");
    test::writeFile(text, "not audio");
    play(text);
    play(env.path("gone.wav"));
    test::writeFile(env.path("broken.wav"), "RIFF garbage that is no wave at all");
    play(env.path("broken.wav"));
    post(EventCode::SettingsChanged);
    ASSERT_TRUE(window->waitFor("32 settings-changed"));
    EXPECT_EQ(controller->state(), EngineState::Idle);
    EXPECT_LT(window->indexOf("26 playing"), 0);
}

TEST_F(PlayerTest, AnOggRecordingPlaysThroughTheTemporaryWave) {
    ::unlink(temporaryPlaybackFile().c_str());
    play(ogg("call.ogg", 2.0));
    ASSERT_TRUE(window->waitFor("26 playing", 5s));
    EXPECT_TRUE(fileExists(temporaryPlaybackFile()));
    ASSERT_TRUE(window->waitFor("21 end-of-playback", 10s));
    EXPECT_GE(window->indexOf("23 time 0:0:1"), 0);
}

TEST_F(PlayerTest, WithoutTheTemporaryWaveTheOggPlaysThroughTheStreamingPath) {
    // A folder where the temporary file should go: the conversion cannot write it (as with a
    // program folder the user may not write to).
    ::unlink(temporaryPlaybackFile().c_str());
    ::rmdir(temporaryPlaybackFile().c_str());
    ASSERT_EQ(::mkdir(temporaryPlaybackFile().c_str(), 0755), 0);
    env.setVariable("PULSE_SERVER", std::string("unix:") + AMBRIN_TEST_AUDIO_DIR + "/native");
    play(ogg("call.ogg", 3.0));
    ASSERT_TRUE(window->waitFor("26 playing", 5s));
    ASSERT_TRUE(window->waitFor("22 file-opened", 10s));
    ASSERT_TRUE(window->waitFor("23 time 0:0:1", 10s));
    ASSERT_TRUE(window->waitFor("21 end-of-playback", 15s));
    EXPECT_LT(window->indexOf("24 idle"), window->indexOf("21 end-of-playback"));
    EXPECT_EQ(controller->state(), EngineState::Idle);
}

TEST_F(PlayerTest, ADamagedOggOnTheStreamingPathEndsPlaybackWithAnError) {
    ::unlink(temporaryPlaybackFile().c_str());
    ::rmdir(temporaryPlaybackFile().c_str());
    ASSERT_EQ(::mkdir(temporaryPlaybackFile().c_str(), 0755), 0);
    env.setVariable("PULSE_SERVER", std::string("unix:") + AMBRIN_TEST_AUDIO_DIR + "/native");
    const std::string path = env.path("damaged.ogg");
    test::writeFile(path, "OggS this is not a vorbis stream at all, only its first four bytes are");
    play(path);
    ASSERT_TRUE(window->waitFor("21 end-of-playback", 15s));  // 34 ends playback like 21
    EXPECT_EQ(controller->state(), EngineState::Idle);
}

TEST_F(PlayerTest, AnMp3RecordingPlays) {
    const std::string source = wave("call.wav", 2.0);
    const std::string mp3 = env.path("call.mp3");
    ASSERT_EQ(std::system(("lame --quiet -b 16 '" + source + "' '" + mp3 + "'").c_str()), 0);
    play(mp3);
    ASSERT_TRUE(window->waitFor("26 playing", 5s));
    ASSERT_TRUE(window->waitFor("21 end-of-playback", 10s));
}

// A recording as the program writes it: bare constant-rate frames without an information
// header. Its length must be known when it opens, or the window's "Seek" cannot move it.
TEST_F(PlayerTest, AnMp3RecordedByTheProgramHasItsLengthAndSeeks) {
    const std::string mp3 = env.path("call.mp3");
    {
        Mp3Sink sink(Mp3Library::load(env.path("opt")), 16, 8000);
        ASSERT_TRUE(sink.open(mp3)) << "libmp3lame.so.0 is not installed";
        const auto bytes = signals::toBytes(signals::tone(440, 12.0, 8000));
        ASSERT_TRUE(sink.write(reinterpret_cast<const std::int16_t*>(bytes.data()), bytes.size()));
        sink.close();
    }
    play(mp3);
    ASSERT_TRUE(window->waitFor("22 file-opened", 5s));
    ASSERT_TRUE(window->waitFor("26 playing", 5s));
    const auto lines = window->lines();
    const long opened = window->indexOf("22 file-opened");
    EXPECT_NE(lines[opened].find("(12.0 s)"), std::string::npos) << lines[opened];
    post(EventCode::Seek, 8);
    ASSERT_TRUE(window->waitFor("23 time 0:0:9", 5s));  // long before 9 s of playing
    EXPECT_LT(window->indexOf("23 time 0:0:3"), 0);
    post(EventCode::Stop);
    ASSERT_TRUE(window->waitFor("24 idle"));
}

}  // namespace
}  // namespace ambrin
