#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ambrin::test {

// A small HTTP/1.0 server on 127.0.0.1 for the updater's tests: one request a connection,
// answered from a table of paths (anything else gets 404). Besides plain answers it can
// redirect, send a header longer than a client may take, and cut a body short.
class HttpTestServer {
  public:
    enum class Kind {
        Plain,            // status, "Content-Length", body
        Redirect,         // 302 with "Location"
        OversizedHeader,  // 200 whose header runs past 5000 bytes before its end
        TruncatedBody,    // 200 announcing the whole body, then half of it and the end
        SlowBody,         // 200 with the body in 16 KiB pieces, 50 ms apart
    };
    struct Answer {
        Kind kind = Kind::Plain;
        int status = 200;
        std::string body;
        std::string location;
        bool withLength = true;          // send "Content-Length"
        long long announcedLength = -1;  // "Content-Length" other than the body's size
    };

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const { return m_port; }
    std::string hostAndPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    std::string url(const std::string& path) const { return "http://" + hostAndPort() + path; }

    // `path` starts with "/".
    void serve(const std::string& path, Answer answer);
    void serve(const std::string& path, const std::string& body) {
        serve(path, Answer{Kind::Plain, 200, body, {}, true, -1});
    }
    void remove(const std::string& path);

    // The requests received so far, whole (request line and header lines).
    std::vector<std::string> requests() const;
    // How many requests asked for `path`.
    int requestCount(const std::string& path) const;

  private:
    void loop();
    void answer(int client);

    int m_listener = -1;
    int m_port = 0;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    mutable std::mutex m_mutex;  // guards m_answers and m_requests
    std::map<std::string, Answer> m_answers;
    std::vector<std::string> m_requests;
};

}  // namespace ambrin::test
