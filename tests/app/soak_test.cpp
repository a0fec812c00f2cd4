// A long day on the line: many calls of random lengths with random gaps, in OGG, MP3 and WAVE
// in turn, fed faster than real time. Every call must end up as exactly one file and one
// record of the right length, and the program must not grow.
//
// `make test` runs a short day; `make soak` the full 24 hours with 500 calls
// (AMBRIN_SOAK_CALLS, AMBRIN_SOAK_HOURS).

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "core/SettingsStore.h"
#include "recorder/Recorder.h"
#include "records/RecordingDuration.h"
#include "support/AudioLine.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int envInt(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

long openDescriptors(pid_t pid) {
    long n = 0;
    std::error_code error;
    for (auto it =
             std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
         it != std::filesystem::directory_iterator(); ++it) {
        ++n;
    }
    return n;
}

// Writes line audio at a fixed multiple of real time.
class FastLine {
  public:
    FastLine(const std::string& fifo, double speed) : m_speed(speed) {
        m_fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    }
    ~FastLine() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool ok() const { return m_fd >= 0; }
    bool write(const signals::Samples& samples) {
        const auto bytes = signals::toBytes(samples);
        constexpr std::size_t kChunk = 16000;  // 0.5 s of audio
        for (std::size_t done = 0; done < bytes.size();) {
            const std::size_t now = std::min(kChunk, bytes.size() - done);
            const ssize_t put = ::write(m_fd, bytes.data() + done, now);
            if (put <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(put);
            m_audioSeconds += static_cast<double>(put) / 16000.0;
            std::this_thread::sleep_until(m_start +
                                          std::chrono::duration<double>(m_audioSeconds / m_speed));
        }
        return true;
    }

  private:
    int m_fd = -1;
    double m_speed;
    double m_audioSeconds = 0;
    Clock::time_point m_start = Clock::now();
};

TEST(Soak, EveryCallOfADayBecomesOneFileAndOneRecord) {
    test::TestEnvironment env;
    const int calls = envInt("AMBRIN_SOAK_CALLS", 24);
    const double dayHours =
        envInt("AMBRIN_SOAK_HOURS", 0) > 0 ? envInt("AMBRIN_SOAK_HOURS", 0) : 0.5;
    const double speed = envInt("AMBRIN_SOAK_SPEED", 40);

    const std::string line = env.path("line");
    ASSERT_EQ(std::system((std::string(AMBRIN_TEST_AUDIO_SCRIPT) + " start " + line).c_str()), 0);
    struct StopServer {
        std::string folder;
        ~StopServer() {
            std::system((std::string(AMBRIN_TEST_AUDIO_SCRIPT) + " stop " + folder).c_str());
        }
    } stopServer{line};
    env.setVariable("PULSE_SERVER", "unix:" + line + "/native");

    const std::string folder = env.path("opt") + "/";
    ::mkdir(folder.c_str(), 0755);
    ASSERT_TRUE(test::copyFile(AMBRIN_BIN, folder + "ambrin"));
    SettingsStore store(folder);
    store.writeInt(setting::kTimeOfCallEnd, 2);
    store.writeInt(setting::kMinimumRecordTime, 1);
    store.writeInt(setting::kAudioQuality, 1);

    // The day's plan: call lengths mostly short, a few long (capped at 20 min), gaps to fill the
    // day, each at least long enough to end the call and start the next in another second.
    std::mt19937 random(20261208);
    std::exponential_distribution<double> lengthOf(1.0 / (dayHours > 1 ? 120.0 : 12.0));
    std::vector<double> lengths;
    double callSeconds = 0;
    for (int i = 0; i < calls; ++i) {
        lengths.push_back(std::clamp(std::round(lengthOf(random)) + 1.0, 1.0, 1200.0));
        callSeconds += lengths.back();
    }
    const double gapMean = std::max(8.0, (dayHours * 3600 - callSeconds) / calls);
    std::uniform_real_distribution<double> gapOf(gapMean * 0.5, gapMean * 1.5);

    test::ChildProcess program(folder + "ambrin", {"--headless"}, env.root());
    ASSERT_TRUE(program.waitForOutput("ambrin: running", 10s)) << program.errors();
    FastLine fifo(line + "/fifo", speed);
    ASSERT_TRUE(fifo.ok());
    long rssAfterFirst = 0;
    long fdsAfterFirst = 0;
    for (int i = 0; i < calls; ++i) {
        store.writeInt(setting::kRecordFormat, i % 3);  // OGG, MP3, WAVE in turn
        const auto gapStarted = Clock::now();
        ASSERT_TRUE(fifo.write(signals::noise(gapOf(random), 300, static_cast<std::uint32_t>(i))));
        // A new second for the new call's name, whatever the speed.
        std::this_thread::sleep_until(gapStarted + 1100ms);
        ASSERT_TRUE(fifo.write(signals::tone(300.0 + 40 * (i % 10), lengths[i], 12000)));
        // Silence until the call has ended and been stored.
        for (int tries = 0;
             test::occurrences(program.output(), "event 24 idle") < static_cast<std::size_t>(i + 1);
             ++tries) {
            ASSERT_LT(tries, 400) << "call " << i << " did not end:\n"
                                  << program.output().substr(program.output().size() > 2000
                                                                 ? program.output().size() - 2000
                                                                 : 0);
            ASSERT_TRUE(fifo.write(signals::silence(0.5)));
        }
        if (i == 0) {
            rssAfterFirst = test::residentKiB(program.pid());
            fdsAfterFirst = openDescriptors(program.pid());
        }
    }
    const long rssAfterAll = test::residentKiB(program.pid());
    const long fdsAfterAll = openDescriptors(program.pid());
    program.signal(SIGTERM);
    ASSERT_EQ(program.wait(10s), 0);

    // One record per call, in order, each with its own file and the file's length.
    std::string rows;
    {
        const std::string command =
            "sqlite3 -separator '|' '" + folder +
            "Ambrin.od2' 'select FileName, TotalTime from RecordInfo order by rowid'";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char buffer[1024];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            rows += buffer;
        }
        ::pclose(pipe);
    }
    std::istringstream in(rows);
    std::string row;
    int n = 0;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder + "db")) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    while (std::getline(in, row)) {
        const std::size_t bar = row.rfind('|');
        const std::string path = row.substr(0, bar);
        const int total = std::atoi(row.c_str() + bar + 1);
        ASSERT_LT(n, calls);
        EXPECT_EQ(total, recordingDurationSeconds(path)) << path;
        // The whole call, its pre-roll and the silence that ended it; fed 40 times faster than
        // real time, every millisecond the engine takes to start or stop a file is 40 ms of
        // audio more (a 0.4 s pause of the event thread, a disk flush say, adds 16 s), hence
        // the generous upper bound. Too long loses nothing; too short would.
        EXPECT_GE(total, static_cast<int>(lengths[static_cast<std::size_t>(n)]) - 1)
            << "call " << n << " " << path;
        EXPECT_LE(total, static_cast<int>(lengths[static_cast<std::size_t>(n)]) + 30)
            << "call " << n << " " << path;
        const char* extension = n % 3 == 0 ? ".ogg" : n % 3 == 1 ? ".mp3" : ".wav";
        EXPECT_EQ(path.substr(path.size() - 4), extension) << path;
        ++n;
    }
    EXPECT_EQ(n, calls);
    EXPECT_EQ(files, static_cast<std::size_t>(calls));
    EXPECT_EQ(fdsAfterAll, fdsAfterFirst);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers keep freed memory in quarantine: resident size says nothing there.
#else
    EXPECT_LE(std::labs(rssAfterAll - rssAfterFirst), rssAfterFirst / 20 + 512)
        << "resident memory went from " << rssAfterFirst << " KiB to " << rssAfterAll << " KiB";
#endif
    std::printf(
        "soak: %d calls, %.1f h of line audio at %.0fx; RSS %ld -> %ld KiB; fds %ld -> %ld\n",
        calls, dayHours, speed, rssAfterFirst, rssAfterAll, fdsAfterFirst, fdsAfterAll);
}

}  // namespace
}  // namespace ambrin
