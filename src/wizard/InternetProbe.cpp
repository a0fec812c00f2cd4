#include "wizard/InternetProbe.h"

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <string>

#include "platform/UniqueFd.h"
#include "wizard/HttpTransfer.h"

namespace ambrin::wizard {

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kAnswerLimit = 780;
constexpr auto kProbeTimeout = 5s;

}  // namespace

int probeUpdateServer(const UpdateServer& server) {
    const UniqueFd socket(connectTo(server.host, server.port, kProbeTimeout));
    const int fd = socket.get();
    if (fd < 0) {
        return 0;
    }
    std::string answer;
    if (sendAll(fd, std::string("GET ") + kProbePath + " HTTP/1.0\r\nHost: " + server.host +
                        "\r\n\r\n")) {
        const auto deadline = std::chrono::steady_clock::now() + kProbeTimeout;
        char buffer[kAnswerLimit];
        while (answer.size() < kAnswerLimit) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd entry{fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) != 1) {
                break;
            }
            const ssize_t got = ::recv(fd, buffer, kAnswerLimit - answer.size(), 0);
            if (got <= 0) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    const std::size_t headerEnd = answer.find("\r\n\r\n");
    return headerEnd != std::string::npos && answer.substr(headerEnd + 4) == "invalid mode" ? 1 : 0;
}

}  // namespace ambrin::wizard
