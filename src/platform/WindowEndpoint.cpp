#include "platform/WindowEndpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Folders.h"
#include "platform/TextHelpers.h"
#include "platform/UniqueFd.h"

namespace ambrin {

namespace {

constexpr std::uint32_t kMagic = 0x414D4257;  // "AMBW"
constexpr size_t kFrameSize = 24;             // magic, message, wParam, lParam (little endian)

void putLe(unsigned char* out, std::uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        out[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::uint64_t getLe(const unsigned char* in, size_t bytes) {
    std::uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) {
        value |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    }
    return value;
}

bool sockaddrFor(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void setTimeouts(int fd, std::chrono::milliseconds timeout) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool sendAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t put = ::send(fd, data, size, MSG_NOSIGNAL);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool receiveAll(int fd, unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t got = ::recv(fd, data, size, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        data += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

UniqueFd connectTo(std::string_view className, std::string_view title,
                   std::chrono::milliseconds timeout) {
    sockaddr_un addr{};
    if (!sockaddrFor(WindowEndpoint::socketPath(className, title), addr)) {
        return UniqueFd();
    }
    UniqueFd sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (sock.get() < 0) {
        return UniqueFd();
    }
    setTimeouts(sock.get(), timeout);
    if (::connect(sock.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        return UniqueFd();
    }
    return sock;
}

bool sendFrame(int fd, const WindowMessage& message) {
    unsigned char frame[kFrameSize];
    putLe(frame, kMagic, 4);
    putLe(frame + 4, message.message, 4);
    putLe(frame + 8, static_cast<std::uint64_t>(message.wParam), 8);
    putLe(frame + 16, static_cast<std::uint64_t>(message.lParam), 8);
    return sendAll(fd, frame, sizeof frame);
}

}  // namespace

// One connection of the listener: it carries one frame, answered at once. Its bytes may come
// in any pieces, but the whole frame must be there before its deadline.
struct Connection {
    UniqueFd socket;
    unsigned char frame[kFrameSize] = {};
    size_t received = 0;
    std::chrono::steady_clock::time_point deadline;
    std::chrono::steady_clock::time_point lastActivity;
};

struct WindowEndpoint::Impl {
    std::string path;
    Handler handler;
    UniqueFd listener;
    int stopPipe[2] = {-1, -1};
    std::thread thread;
    std::vector<Connection> connections;  // the listener thread's own

    ~Impl() {
        stop();
        for (int fd : stopPipe) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    void stop() {
        if (thread.joinable()) {
            const char byte = 1;
            while (::write(stopPipe[1], &byte, 1) < 0 && errno == EINTR) {
            }
            thread.join();
        }
        connections.clear();
        if (listener.get() >= 0) {
            listener.reset();
            ::unlink(path.c_str());
        }
    }

    void accept(std::chrono::steady_clock::time_point now) {
        for (;;) {
            UniqueFd client(
                ::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (client.get() < 0) {
                return;  // nothing more waiting (or a failure that the next poll shows again)
            }
            ucred cred{};
            socklen_t length = sizeof cred;
            if (::getsockopt(client.get(), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 ||
                cred.uid != ::getuid()) {
                continue;  // only the same user may talk to our windows
            }
            if (connections.size() >= WindowEndpoint::kMaxConnections) {
                // The one that has been quiet longest makes room.
                auto oldest = std::min_element(connections.begin(), connections.end(),
                                               [](const Connection& a, const Connection& b) {
                                                   return a.lastActivity < b.lastActivity;
                                               });
                connections.erase(oldest);
            }
            Connection connection;
            connection.socket = std::move(client);
            connection.deadline = now + WindowEndpoint::kFrameDeadline;
            connection.lastActivity = now;
            connections.push_back(std::move(connection));
        }
    }

    // Reads what has come; true when the connection is done with (answered, gone or bad).
    bool receive(Connection& connection, std::chrono::steady_clock::time_point now) {
        const ssize_t got = ::recv(connection.socket.get(), connection.frame + connection.received,
                                   kFrameSize - connection.received, MSG_DONTWAIT);
        if (got < 0) {
            return errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK;
        }
        if (got == 0) {
            return true;
        }
        connection.received += static_cast<size_t>(got);
        connection.lastActivity = now;
        if (connection.received < kFrameSize) {
            return false;
        }
        if (getLe(connection.frame, 4) != kMagic) {
            return true;
        }
        WindowMessage message;
        message.message = static_cast<std::uint32_t>(getLe(connection.frame + 4, 4));
        message.wParam = static_cast<std::int64_t>(getLe(connection.frame + 8, 8));
        message.lParam = static_cast<std::int64_t>(getLe(connection.frame + 16, 8));
        const std::int64_t result = handler ? handler(message) : 0;
        unsigned char reply[8];
        putLe(reply, static_cast<std::uint64_t>(result), 8);
        // Eight bytes always fit an empty socket buffer; a poster has gone already, and
        // that is fine.
        ::send(connection.socket.get(), reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT);
        return true;
    }

    void run() {
        std::vector<pollfd> fds;
        for (;;) {
            auto now = std::chrono::steady_clock::now();
            // Connections past their deadline are closed: a slow or silent client holds
            // nothing for long.
            std::erase_if(connections, [now](const Connection& c) { return c.deadline <= now; });
            auto wake = now + std::chrono::hours(1);
            fds.assign({{listener.get(), POLLIN, 0}, {stopPipe[0], POLLIN, 0}});
            for (const Connection& connection : connections) {
                fds.push_back({connection.socket.get(), POLLIN, 0});
                wake = std::min(wake, connection.deadline);
            }
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
            if (::poll(fds.data(), fds.size(), static_cast<int>(wait)) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[1].revents != 0) {
                return;
            }
            now = std::chrono::steady_clock::now();
            // In the order they came; answered or gone ones are dropped afterwards.
            std::vector<size_t> finished;
            for (size_t i = 0; i < connections.size(); ++i) {
                if (fds[i + 2].revents != 0 && receive(connections[i], now)) {
                    finished.push_back(i);
                }
            }
            for (auto it = finished.rbegin(); it != finished.rend(); ++it) {
                connections.erase(connections.begin() + static_cast<std::ptrdiff_t>(*it));
            }
            if ((fds[0].revents & POLLIN) != 0) {
                accept(now);
            }
        }
    }
};

WindowEndpoint::WindowEndpoint(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

WindowEndpoint::~WindowEndpoint() {
    close();
}

void WindowEndpoint::close() {
    if (m_impl) {
        m_impl->stop();
    }
}

std::string WindowEndpoint::folder() {
    const std::string dir = runtimeFolder() + "/ambrin";
    makeFolders(dir, 0700);
    return dir;
}

std::string WindowEndpoint::socketPath(std::string_view className, std::string_view title) {
    return folder() + "/" + asciiLower(className) + "#" + asciiLower(title);
}

std::unique_ptr<WindowEndpoint> WindowEndpoint::create(std::string_view className,
                                                       std::string_view title, Handler handler,
                                                       std::string* error) {
    auto fail = [error](std::string why) -> std::unique_ptr<WindowEndpoint> {
        if (error != nullptr) {
            *error = std::move(why);
        }
        return nullptr;
    };
    auto impl = std::make_unique<Impl>();
    impl->path = socketPath(className, title);
    impl->handler = std::move(handler);
    sockaddr_un addr{};
    if (!sockaddrFor(impl->path, addr)) {
        return fail("socket path too long: " + impl->path);
    }
    if (exists(className, title)) {
        return fail("a window \"" + std::string(title) + "\" exists already");
    }
    ::unlink(impl->path.c_str());  // left by a process that did not end cleanly
    impl->listener.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (impl->listener.get() < 0 ||
        ::bind(impl->listener.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(impl->listener.get(), SOMAXCONN) != 0) {
        const std::string why = std::strerror(errno);
        impl->listener.reset();
        return fail("cannot listen on " + impl->path + ": " + why);
    }
    ::chmod(impl->path.c_str(), 0600);
    if (::pipe2(impl->stopPipe, O_CLOEXEC) != 0) {
        return fail("cannot create a pipe");
    }
    Impl* raw = impl.get();
    impl->thread = std::thread([raw] { raw->run(); });
    return std::unique_ptr<WindowEndpoint>(new WindowEndpoint(std::move(impl)));
}

bool WindowEndpoint::exists(std::string_view className, std::string_view title) {
    return connectTo(className, title, std::chrono::milliseconds(1000)).get() >= 0;
}

bool WindowEndpoint::post(std::string_view className, std::string_view title,
                          const WindowMessage& message) {
    UniqueFd sock = connectTo(className, title, std::chrono::milliseconds(1000));
    return sock.get() >= 0 && sendFrame(sock.get(), message);
}

std::optional<std::int64_t> WindowEndpoint::send(std::string_view className, std::string_view title,
                                                 const WindowMessage& message,
                                                 std::chrono::milliseconds timeout) {
    UniqueFd sock = connectTo(className, title, timeout);
    if (sock.get() < 0 || !sendFrame(sock.get(), message)) {
        return std::nullopt;
    }
    unsigned char reply[8];
    if (!receiveAll(sock.get(), reply, sizeof reply)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(getLe(reply, 8));
}

}  // namespace ambrin
