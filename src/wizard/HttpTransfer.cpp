#include "wizard/HttpTransfer.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/StdioFile.h"
#include "platform/UniqueFd.h"
#include "wizard/HttpHeader.h"
#include "wizard/UrlParts.h"

namespace ambrin::wizard {

namespace {

using namespace std::chrono_literals;

constexpr auto kConnectTimeout = 15s;
constexpr auto kIdleTimeout = 30s;
constexpr auto kCancelWait = 10ms;
// Body reads take larger pieces than the header's 4096 bytes: with a wait after every
// receive, 4 KiB pieces would hold a download to 400 KB/s.
constexpr std::size_t kBodyChunk = 64 * 1024;

// Waits until the socket has data, the idle time has passed, or the transfer is cancelled.
// Returns the byte count received, 0 at end of stream, -1 on a failure or cancel.
ssize_t receiveSome(int fd, char* buffer, std::size_t size, const CancelEvent& cancel) {
    const auto deadline = std::chrono::steady_clock::now() + kIdleTimeout;
    while (!cancel.isSet()) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, 100);
        if (ready < 0 && errno != EINTR) {
            return -1;
        }
        if (ready > 0) {
            const ssize_t got = ::recv(fd, buffer, size, 0);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            return got;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return -1;
        }
    }
    return -1;
}

}  // namespace

void CancelEvent::set() {
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    m_changed.notify_all();
}

bool CancelEvent::isSet() const {
    std::lock_guard lock(m_mutex);
    return m_set;
}

bool CancelEvent::waitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_set; });
}

int connectTo(const std::string& host, int port, std::chrono::milliseconds timeout) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() ||
        ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return -1;
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        UniqueFd socket(::socket(address->ai_family,
                                 address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                                 address->ai_protocol));
        if (socket.get() < 0) {
            continue;
        }
        if (::connect(socket.get(), address->ai_addr, address->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                continue;
            }
            pollfd entry{socket.get(), POLLOUT, 0};
            int error = 0;
            socklen_t length = sizeof error;
            if (::poll(&entry, 1, static_cast<int>(timeout.count())) != 1 ||
                ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
                error != 0) {
                continue;
            }
        }
        return socket.release();
    }
    return -1;
}

bool sendAll(int socket, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        pollfd entry{socket, POLLOUT, 0};
        if (::poll(&entry, 1, static_cast<int>(std::chrono::milliseconds(kIdleTimeout).count())) !=
            1) {
            return false;
        }
        const ssize_t done = ::send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (done < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(done);
    }
    return true;
}

TransferResult runTransfer(const TransferRequest& request, const NoticeSink& notify,
                           const CancelEvent& cancel) {
    TransferResult result;
    result.expectedSize = request.expectedSize;
    notify(notice::kStarted, 0, result.expectedSize);
    const UrlParts url = splitUrl(request.url);
    UniqueFd socket(connectTo(url.host, url.port, kConnectTimeout));
    const std::string get =
        "GET /" + url.path + " HTTP/1.0\r\nHost: " + request.hostHeader + "\r\n\r\n";
    if (socket.get() < 0 || !sendAll(socket.get(), get)) {
        notify(notice::kFailed, 0, result.expectedSize);
        return result;
    }

    HttpHeaderReader header;
    StdioFile file;
    bool failed = false;
    bool takeBody = false;
    std::vector<char> buffer(kHeaderLimit);
    auto writeBody = [&](std::string_view bytes) {
        if (bytes.empty() || !takeBody) {
            return;
        }
        result.bodyBytes += static_cast<long long>(bytes.size());
        if (result.bodyBytes > kMaxBodyBytes ||
            std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
            failed = true;
        }
    };
    for (;;) {
        const ssize_t got = receiveSome(socket.get(), buffer.data(), buffer.size(), cancel);
        if (got < 0) {
            failed = true;
            break;
        }
        if (got == 0) {
            break;
        }
        const std::string_view bytes(buffer.data(), static_cast<std::size_t>(got));
        if (header.state() == HttpHeaderReader::State::Complete) {
            writeBody(bytes);
        } else {
            const auto state = header.feed(bytes);
            if (state == HttpHeaderReader::State::TooLong) {
                failed = true;
                break;
            }
            if (state == HttpHeaderReader::State::Complete) {
                result.status = header.header().status;
                const auto length = header.header().contentLength;
                if (length && *length > 0) {
                    result.expectedSize = *length;
                }
                if (result.status == 200) {
                    if (result.expectedSize > kMaxBodyBytes) {
                        failed = true;
                        break;
                    }
                    file = openStdioFile(request.localPath, "wb");
                    if (!file) {
                        failed = true;
                        break;
                    }
                    takeBody = true;
                    buffer.resize(kBodyChunk);
                    writeBody(header.body());
                } else {
                    // Redirects are not followed, and nothing else but 200 carries a file.
                    break;
                }
            }
        }
        if (failed) {
            break;
        }
        notify(notice::kProgress, result.bodyBytes, result.expectedSize);
        if (cancel.waitFor(kCancelWait)) {
            failed = true;
            break;
        }
    }
    socket.reset();
    if (file && std::fflush(file.get()) != 0) {
        failed = true;
    }
    file.reset();
    const bool complete = header.state() == HttpHeaderReader::State::Complete;
    // A body cut short of its announced length is a failure, never a finished file.
    const bool shortBody =
        header.header().contentLength && result.bodyBytes < *header.header().contentLength;
    if (!failed && complete && result.status == 200 && !shortBody) {
        result.notice = notice::kFinished;
    } else {
        if (takeBody) {
            std::remove(request.localPath.c_str());
        }
        result.notice = notice::kFailed;
    }
    notify(result.notice, result.bodyBytes, result.expectedSize);
    return result;
}

}  // namespace ambrin::wizard
