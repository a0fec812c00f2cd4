// The demo telephone line: writes generated calls into a sound server's pipe source, paced
// to real time, with silence between them. `make run` starts it on machines that have no
// sound server of their own.
//   ambrin_linegen FIFO [PERIOD_SECONDS]     a call every PERIOD seconds (default 60)
//   ambrin_linegen FIFO 0                    an idle line: silence only

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/AudioLine.h"
#include "support/Signals.h"

namespace {

// A sound card delivers its input in whole periods of the latency the program asks for:
// 256 ms, one capture buffer. The demo line does the same, so the program wakes as it would
// there; what does not fill a period waits for the next piece of the line.
constexpr std::size_t kPeriodSamples = 2048;

class PeriodWriter {
  public:
    explicit PeriodWriter(int fd) : m_fd(fd) {}

    bool write(const ambrin::signals::Samples& samples) {
        ambrin::signals::append(m_pending, samples);
        const std::size_t whole = m_pending.size() / kPeriodSamples * kPeriodSamples;
        const ambrin::signals::Samples now(m_pending.begin(), m_pending.begin() + whole);
        m_pending.erase(m_pending.begin(), m_pending.begin() + whole);
        return ambrin::test::writeLine(m_fd, now, true, kPeriodSamples * 2);
    }

  private:
    int m_fd;
    ambrin::signals::Samples m_pending;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FIFO [PERIOD_SECONDS]\n", argv[0]);
        return 2;
    }
    const double period = argc > 2 ? std::atof(argv[2]) : 60.0;
    const int fd = ::open(argv[1], O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    PeriodWriter line(fd);
    if (period <= 0) {
        while (line.write(ambrin::signals::silence(1.0))) {
        }
        return 0;
    }
    for (std::uint32_t call = 1;; ++call) {
        const double length = 8.0 + (call * 7) % 13;  // 8 to 20 s
        const double pause = period > length ? period - length : 5.0;
        if (!line.write(ambrin::signals::silence(pause))) {
            return 0;
        }
        std::printf("demo line: a call of %.0f s begins\n", length);
        std::fflush(stdout);
        if (!line.write(ambrin::signals::speechLike(length, call))) {
            return 0;
        }
    }
}
