#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/Signals.h"
#include "support/TestEnvironment.h"

namespace ambrin::test {

// The telephone line of the private sound server that the test run started (a CTest
// fixture): points PULSE_SERVER at it for the test and writes audio into its pipe source.
class AudioLine {
  public:
    explicit AudioLine(TestEnvironment& env);
    ~AudioLine();
    AudioLine(const AudioLine&) = delete;
    AudioLine& operator=(const AudioLine&) = delete;

    // False when the server is not running; the test should then fail or skip.
    bool available() const { return m_fifo >= 0; }
    const std::string& folder() const { return m_folder; }

    // Writes into the line, as fast as the server takes it or paced to real time.
    bool write(const signals::Samples& samples, bool paced = false);

    // The folder of the server started for this test run.
    static std::string serverFolder();

  private:
    std::string m_folder;
    int m_fifo = -1;
};

// Writes samples into a FIFO, paced to real time when asked (16000 bytes a second) in pieces
// of `chunkBytes`: 100 ms by default, so the tests hear what they write at once.
bool writeLine(int fd, const signals::Samples& samples, bool paced, std::size_t chunkBytes = 1600);

}  // namespace ambrin::test
