#include "support/HttpTestServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace ambrin::test {

namespace {

// False when the client went away.
bool sendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t done = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (done <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(done);
    }
    return true;
}

std::string statusLine(int status) {
    const char* reason = status == 200   ? "OK"
                         : status == 302 ? "Found"
                         : status == 404 ? "Not Found"
                                         : "Status";
    return "HTTP/1.0 " + std::to_string(status) + " " + reason + "\r\n";
}

}  // namespace

HttpTestServer::HttpTestServer() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 ||
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(m_wake, O_CLOEXEC) != 0) {
        throw std::runtime_error("test HTTP server: cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { loop(); });
}

HttpTestServer::~HttpTestServer() {
    const char stop = 'x';
    [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &stop, 1);
    m_thread.join();
    ::close(m_listener);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

void HttpTestServer::serve(const std::string& path, Answer answer) {
    std::lock_guard lock(m_mutex);
    m_answers[path] = std::move(answer);
}

void HttpTestServer::remove(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_answers.erase(path);
}

std::vector<std::string> HttpTestServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int HttpTestServer::requestCount(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    int count = 0;
    for (const std::string& request : m_requests) {
        count += request.rfind("GET " + path + " ", 0) == 0 ? 1 : 0;
    }
    return count;
}

void HttpTestServer::loop() {
    for (;;) {
        pollfd entries[2] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0) {
            continue;
        }
        if (entries[1].revents != 0) {
            return;
        }
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            answer(client);
            ::close(client);
        }
    }
}

void HttpTestServer::answer(int client) {
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
        pollfd entry{client, POLLIN, 0};
        if (::poll(&entry, 1, 5000) != 1) {
            return;
        }
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return;
        }
        request.append(buffer, static_cast<std::size_t>(got));
    }
    Answer found{Kind::Plain, 404, "not found", {}, true, -1};
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request.substr(0, request.find("\r\n\r\n")));
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        if (const auto it = m_answers.find(path); it != m_answers.end()) {
            found = it->second;
        }
    }
    const long long announced = found.announcedLength >= 0
                                    ? found.announcedLength
                                    : static_cast<long long>(found.body.size());
    const std::string length = "Content-Length: " + std::to_string(announced) + "\r\n";
    switch (found.kind) {
        case Kind::Plain:
            sendAll(client, statusLine(found.status) + (found.withLength ? length : "") + "\r\n" +
                                found.body);
            break;
        case Kind::Redirect:
            sendAll(client, statusLine(302) + "Location: " + found.location + "\r\n\r\n");
            break;
        case Kind::OversizedHeader:
            sendAll(client, statusLine(200) + length + "X-Padding: " + std::string(5000, 'p') +
                                "\r\n\r\n" + found.body);
            break;
        case Kind::SlowBody:
            sendAll(client, statusLine(200) + length + "\r\n");
            for (std::size_t at = 0; at < found.body.size(); at += 16384) {
                if (!sendAll(client, found.body.substr(at, 16384))) {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            break;
        case Kind::TruncatedBody:
            sendAll(client, statusLine(200) + length + "\r\n" +
                                found.body.substr(0, found.body.size() / 2));
            break;
    }
}

}  // namespace ambrin::test
