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
    if (period <= 0) {
        while (ambrin::test::writeLine(fd, ambrin::signals::silence(1.0), true)) {
        }
        return 0;
    }
    for (std::uint32_t call = 1;; ++call) {
        const double length = 8.0 + (call * 7) % 13;  // 8 to 20 s
        const double pause = period > length ? period - length : 5.0;
        if (!ambrin::test::writeLine(fd, ambrin::signals::silence(pause), true)) {
            return 0;
        }
        std::printf("demo line: a call of %.0f s begins\n", length);
        std::fflush(stdout);
        if (!ambrin::test::writeLine(fd, ambrin::signals::speechLike(length, call), true)) {
            return 0;
        }
    }
}
