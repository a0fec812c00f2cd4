#include "support/AudioLine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace ambrin::test {

std::string AudioLine::serverFolder() {
#ifdef AMBRIN_TEST_AUDIO_DIR
    return AMBRIN_TEST_AUDIO_DIR;
#else
    return {};
#endif
}

AudioLine::AudioLine(TestEnvironment& env) : m_folder(serverFolder()) {
    env.setVariable("PULSE_SERVER", "unix:" + m_folder + "/native");
    // Non-blocking open fails at once when no server reads the FIFO.
    const std::string fifo = m_folder + "/fifo";
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        m_fifo = fd;
    }
}

AudioLine::~AudioLine() {
    if (m_fifo >= 0) {
        ::close(m_fifo);
    }
}

bool AudioLine::write(const signals::Samples& samples, bool paced) {
    return available() && writeLine(m_fifo, samples, paced);
}

bool writeLine(int fd, const signals::Samples& samples, bool paced, std::size_t chunkBytes) {
    const auto bytes = signals::toBytes(samples);
    const auto start = std::chrono::steady_clock::now();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t now =
            paced ? std::min(chunkBytes, bytes.size() - done) : bytes.size() - done;
        const ssize_t put = ::write(fd, bytes.data() + done, now);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(put);
        if (paced) {
            std::this_thread::sleep_until(start +
                                          std::chrono::microseconds(done * 1000000 / 16000));
        }
    }
    return true;
}

}  // namespace ambrin::test
