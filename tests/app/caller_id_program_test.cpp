// The caller's number through the whole program: line audio with a caller-ID burst or
// dialled digits, a call, and the record it becomes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "core/SettingsStore.h"
#include "recorder/Recorder.h"
#include "support/AudioLine.h"
#include "support/CallerIdSignals.h"
#include "support/ProgramTools.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using test::CallerIdStandard;

class CallerIdProgramTest : public test::EnvironmentTest {
  protected:
    test::AudioLine line{env};

    // Plays `before`, then a call of 2 s, then silence until the program has stored it.
    // `paced`: the line brings it in real time, as a telephone does.
    void call(test::ChildProcess& program, const signals::Samples& before,
              const signals::Samples& opening = {}, bool paced = false) {
        const std::size_t saved = program.output().size();
        signals::Samples audio = before;
        signals::append(audio, opening);
        signals::append(audio, test::withNoise(signals::tone(350, 2.0, 12000), 200, 5));
        ASSERT_TRUE(line.write(audio, paced));
        for (int i = 0;
             i < 80 && program.output().find("event 24 idle", saved) == std::string::npos; ++i) {
            ASSERT_TRUE(line.write(test::withNoise(signals::silence(0.5), 150, 6)));
            std::this_thread::sleep_for(20ms);
        }
        ASSERT_NE(program.output().find("event 24 idle", saved), std::string::npos)
            << program.output();
        std::this_thread::sleep_for(1100ms);  // records are keyed by the second
    }

    static signals::Samples quiet(double seconds) {
        return test::withNoise(signals::silence(seconds), 200, 7);
    }
};

TEST_F(CallerIdProgramTest, NumbersFromTheLineEndInTheRecordOfTheCallThatFollows) {
    ASSERT_TRUE(line.available());
    const std::string folder = env.path("opt");
    ::mkdir(folder.c_str(), 0755);
    ASSERT_TRUE(test::copyFile(AMBRIN_BIN, folder + "/ambrin"));
    {
        SettingsStore store(folder + "/");
        store.writeInt(setting::kRecordFormat, kFormatWave);
        store.writeInt(setting::kTimeOfCallEnd, 2);
        store.writeInt(setting::kMinimumRecordTime, 0);
        store.writeInt(setting::kStartSoundValue, 20);
    }
    test::ChildProcess program(folder + "/ambrin", {"--headless"}, env.root());
    ASSERT_TRUE(program.waitForOutput("ambrin: running", 10s)) << program.errors();

    // Bell 202 and V.23 at half and 1.4 times the usual level, DTMF caller ID quietly, in
    // line noise, a few seconds before the call rings through.
    const auto burst = [](CallerIdStandard standard, const char* number, double level) {
        signals::Samples audio = quiet(1.0);
        signals::append(audio,
                        test::withNoise(test::callerIdBurst(standard, number, level), 200, 8));
        signals::append(audio, quiet(3.0));
        return audio;
    };
    call(program, burst(CallerIdStandard::Bell202, "0212345678", 0.5));
    call(program, burst(CallerIdStandard::V23, "0315550123", 1.4));
    call(program, burst(CallerIdStandard::Dtmf, "0421234567", 0.3));
    // 40 s before the call: nobody's.
    signals::Samples stale = burst(CallerIdStandard::Bell202, "0999999999", 1.0);
    signals::append(stale, quiet(40.0));
    call(program, stale);
    // Dialled from here: the digits start the recording.
    call(program, quiet(1.0), test::withNoise(test::dialledDigits("0101234567"), 200, 9), true);

    test::ChildProcess quit(folder + "/ambrin", {"--command", "quit"}, env.root());
    EXPECT_EQ(quit.wait(5s), 0);
    EXPECT_EQ(program.wait(5s), 0);
    EXPECT_EQ(test::sqliteQuery(folder + "/Ambrin.od2",
                                "select CID || '|' || CallType from RecordInfo order by Date"),
              "0212345678|0\n0315550123|0\n0421234567|0\n|2\n0101234567|1\n")
        << program.output();
}

}  // namespace
}  // namespace ambrin
