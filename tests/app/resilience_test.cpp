// Nothing lost: the running program against a sound server that goes away and comes back, a
// disk that fills up, and a kill in the middle of a call.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/SettingsStore.h"
#include "recorder/Recorder.h"
#include "support/AudioLine.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

// A sound server of the test's own, which the test may stop and start again.
class OwnSoundServer {
  public:
    explicit OwnSoundServer(std::string folder) : m_folder(std::move(folder)) {}
    ~OwnSoundServer() { stop(); }
    bool start() {
        return std::system(
                   (std::string(AMBRIN_TEST_AUDIO_SCRIPT) + " start " + m_folder).c_str()) == 0;
    }
    void stop() {
        closeLine();
        std::system(
            (std::string(AMBRIN_TEST_AUDIO_SCRIPT) + " stop " + m_folder + " >/dev/null 2>&1")
                .c_str());
    }
    std::string address() const { return "unix:" + m_folder + "/native"; }
    bool write(const signals::Samples& samples, bool paced) {
        if (m_fifo < 0) {
            m_fifo = ::open((m_folder + "/fifo").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (m_fifo < 0) {
                return false;
            }
            ::fcntl(m_fifo, F_SETFL, ::fcntl(m_fifo, F_GETFL) & ~O_NONBLOCK);
        }
        return test::writeLine(m_fifo, samples, paced);
    }
    void closeLine() {
        if (m_fifo >= 0) {
            ::close(m_fifo);
            m_fifo = -1;
        }
    }

  private:
    std::string m_folder;
    int m_fifo = -1;
};

class ResilienceTest : public test::EnvironmentTest {
  protected:
    std::string install(const std::string& name) {
        const std::string folder = env.path(name);
        ::mkdir(folder.c_str(), 0755);
        EXPECT_TRUE(test::copyFile(AMBRIN_BIN, folder + "/ambrin"));
        return folder + "/";
    }
    std::unique_ptr<ChildProcess> launch(const std::string& folder) {
        return std::make_unique<ChildProcess>(folder + "ambrin",
                                              std::vector<std::string>{"--headless"}, env.root());
    }
};

TEST_F(ResilienceTest, AVanishedSoundServerEndsTheCallAndTheNextCallRecordsAfterItIsBack) {
    OwnSoundServer server(env.path("line"));
    ASSERT_TRUE(server.start());
    env.setVariable("PULSE_SERVER", server.address());
    env.setVariable("AMBRIN_UI_LANG", "1033");
    const std::string folder = install("opt");
    {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kMinimumRecordTime, 0);
        store.writeInt(setting::kTimeOfCallEnd, 1);
    }
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
    ASSERT_TRUE(server.write(signals::tone(350, 2.5, 14000), true));
    ASSERT_TRUE(program->waitForOutput("event 27 recording", 5s)) << program->output();

    server.stop();  // in the middle of the call
    ASSERT_TRUE(program->waitForOutput("input was lost", 10s)) << program->output();
    ASSERT_TRUE(program->waitForOutput("event 24 idle", 5s)) << program->output();
    EXPECT_EQ(test::occurrences(program->output(), "event 33 recording-saved"), 1u);

    std::this_thread::sleep_for(5s);
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(program->waitForOutput("input is back", 40s)) << program->output();
    ASSERT_TRUE(server.write(signals::tone(350, 2.0, 14000), true));
    ASSERT_TRUE(server.write(signals::silence(2.0), true));
    for (int i = 0; i < 50 && test::occurrences(program->output(), "event 24 idle") < 2; ++i) {
        ASSERT_TRUE(server.write(signals::silence(0.25), true));
    }
    EXPECT_EQ(test::occurrences(program->output(), "event 33 recording-saved"), 2u)
        << program->output();
    program->signal(SIGTERM);
    EXPECT_EQ(program->wait(5s), 0);
    EXPECT_EQ(test::filesUnder(folder + "db").size(), 2u);
    EXPECT_EQ(test::sqliteQuery(folder + "Ambrin.od2", "select count(*) from RecordInfo"), "2\n");
}

TEST_F(ResilienceTest, AFullDiskEndsTheCallWithItsRecordAndTheNextCallRecordsOnceThereIsRoom) {
    OwnSoundServer server(env.path("line"));
    ASSERT_TRUE(server.start());
    env.setVariable("PULSE_SERVER", server.address());
    env.setVariable("AMBRIN_UI_LANG", "1033");
    const std::string calls = env.path("calls");
    ::mkdir(calls.c_str(), 0755);
    // Just over the 40 MiB that start-up asks for.
    if (::mount("tmpfs", calls.c_str(), "tmpfs", 0, "size=41m") != 0) {
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    }
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{calls};
    const std::string folder = install("opt");
    {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kMinimumRecordTime, 0);
        store.writeInt(setting::kTimeOfCallEnd, 2);
        store.writeString(setting::kDatabasePath, calls + "/");
    }
    auto program = launch(folder);
    ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
    ASSERT_TRUE(server.write(signals::tone(300, 1.0, 14000), true));
    ASSERT_TRUE(program->waitForOutput("event 27 recording", 5s));

    // Something else fills the disk during the call, leaving room for a few seconds of it.
    const std::string filler = calls + "/filler";
    {
        const auto free = std::filesystem::space(calls).free;
        std::FILE* file = std::fopen(filler.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::vector<char> block(1 << 16, 'x');
        for (std::uintmax_t written = 0; written + block.size() + 200 * 1024 < free;
             written += block.size()) {
            std::fwrite(block.data(), 1, block.size(), file);
        }
        std::fclose(file);
    }
    ASSERT_TRUE(server.write(signals::speechLike(30.0, 2), false));
    ASSERT_TRUE(program->waitForOutput("event 24 idle", 20s)) << program->output();
    EXPECT_EQ(test::occurrences(program->output(), "event 33 recording-saved"), 1u)
        << program->output();
    for (int i = 0; i < 100 && program->errors().find("The disk is full") == std::string::npos;
         ++i) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(test::occurrences(program->errors(), "The disk is full"), 1u) << program->errors();
    EXPECT_EQ(test::occurrences(program->errors(), "40 MB or less free"), 1u) << program->errors();

    // Room again: the next call records.
    ::unlink(filler.c_str());
    std::this_thread::sleep_for(1100ms);  // a new second, a new name
    ASSERT_TRUE(server.write(signals::silence(2.0), true));
    ASSERT_TRUE(server.write(signals::tone(300, 2.0, 14000), true));
    for (int i = 0; i < 60 && test::occurrences(program->output(), "event 33 recording-saved") < 2;
         ++i) {
        ASSERT_TRUE(server.write(signals::silence(0.25), true));
    }
    EXPECT_EQ(test::occurrences(program->output(), "event 33 recording-saved"), 2u)
        << program->output() << program->errors();
    program->signal(SIGTERM);
    EXPECT_EQ(program->wait(5s), 0);
    EXPECT_EQ(test::sqliteQuery(folder + "Ambrin.od2", "select count(*) from RecordInfo"), "2\n");
}

TEST_F(ResilienceTest, ADamagedDatabaseIsNamedAndLeftAsItIs) {
    OwnSoundServer server(env.path("line"));
    ASSERT_TRUE(server.start());
    env.setVariable("PULSE_SERVER", server.address());
    env.setVariable("AMBRIN_UI_LANG", "1033");
    const std::string folder = install("opt");
    std::string noise(64 * 1024, '\0');
    std::uint32_t state = 7;
    for (char& c : noise) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    test::writeFile(folder + "Ambrin.od2", noise);
    auto program = launch(folder);
    ASSERT_EQ(program->wait(10s), 6);  // refused: the service manager sees the failure
    EXPECT_NE(program->errors().find(folder + "Ambrin.od2"), std::string::npos)
        << program->errors();
    EXPECT_EQ(program->output().find("ambrin: running"), std::string::npos);
    EXPECT_EQ(test::readFile(folder + "Ambrin.od2"), noise);
}

TEST_F(ResilienceTest, ACallCutByAKillIsRepairedAndStoredAtTheNextStart) {
    OwnSoundServer server(env.path("line"));
    ASSERT_TRUE(server.start());
    env.setVariable("PULSE_SERVER", server.address());
    env.setVariable("AMBRIN_UI_LANG", "1033");
    const std::string folder = install("opt");
    SettingsStore store(folder);
    store.writeInt(setting::kRecordMode, 1);
    store.writeInt(setting::kMinimumRecordTime, 1);
    int calls = 0;
    for (const int format : {kFormatWave, kFormatOgg, kFormatMp3}) {
        store.writeInt(setting::kRecordFormat, format);
        auto program = launch(folder);
        ASSERT_TRUE(program->waitForOutput("ambrin: running", 10s)) << program->errors();
        auto record = std::make_unique<ChildProcess>(
            folder + "ambrin", std::vector<std::string>{"--command", "record"}, env.root());
        ASSERT_EQ(record->wait(5s), 0);
        ASSERT_TRUE(program->waitForOutput("event 27 recording", 5s));
        // Past the first checkpoint (5 s), then the program dies without a word.
        ASSERT_TRUE(server.write(signals::tone(330, 7.0, 12000), true));
        program->signal(SIGKILL);
        program->wait(5s);
        ++calls;

        auto next = launch(folder);
        ASSERT_TRUE(next->waitForOutput("ambrin: running", 10s)) << next->errors();
        EXPECT_NE(next->output().find("was repaired and saved"), std::string::npos)
            << next->output();
        next->signal(SIGTERM);
        ASSERT_EQ(next->wait(5s), 0);
        EXPECT_EQ(test::sqliteQuery(folder + "Ambrin.od2", "select count(*) from RecordInfo"),
                  std::to_string(calls) + "\n")
            << format;
        std::this_thread::sleep_for(1100ms);
    }
    // Each kept its audio up to the last checkpoint at least.
    std::string totals;
    const std::string command =
        "sqlite3 '" + folder + "Ambrin.od2' 'select TotalTime from RecordInfo' 2>&1";
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[128];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            totals += buffer;
            EXPECT_GE(std::atoi(buffer), 4) << totals;
        }
        ::pclose(pipe);
    }
    EXPECT_EQ(test::filesUnder(folder + "db").size(), 3u);
}

}  // namespace
}  // namespace ambrin
