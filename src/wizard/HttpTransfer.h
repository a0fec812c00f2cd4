#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace ambrin::wizard {

// What a transfer reports to the dialog.
namespace notice {
inline constexpr int kStarted = 10000;
inline constexpr int kProgress = 10001;  // value: body bytes received so far
inline constexpr int kFinished = 10002;  // status 200, the whole body written
inline constexpr int kFailed = 10009;    // no connection, send or receive error, other status
}  // namespace notice

// A body larger than this is never taken.
inline constexpr long long kMaxBodyBytes = 256LL * 1024 * 1024;

// Set by the dialog to stop a running transfer. Thread-safe.
class CancelEvent {
  public:
    void set();
    bool isSet() const;
    // Waits up to `timeout`; true when the event is (or becomes) set.
    bool waitFor(std::chrono::milliseconds timeout) const;

  private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_set = false;
};

struct TransferRequest {
    std::string url;
    std::string localPath;   // the body goes here (created only for status 200)
    std::string hostHeader;  // the update server's host name
    long long expectedSize = 0;
};

struct TransferResult {
    int notice = notice::kFailed;  // kFinished or kFailed
    int status = 0;                // HTTP status, 0 when no header came
    long long bodyBytes = 0;
    long long expectedSize = 0;  // "Content-Length" when it came, else the request's
};

// Called on the transfer's thread for every notice, with the expected size so far.
using NoticeSink = std::function<void(int code, long long value, long long expectedSize)>;

// Runs one HTTP/1.0 GET on the calling thread (the dialog's worker thread): posts 10000,
// then 10001 after every receive followed by a wait of up to 10 ms on `cancel`, and ends
// with 10002 or 10009. A body shorter than its "Content-Length", or longer than 256 MiB,
// fails, and a failed transfer leaves no partial file behind.
TransferResult runTransfer(const TransferRequest& request, const NoticeSink& notify,
                           const CancelEvent& cancel);

// Opens a TCP connection with a time limit; -1 on failure. Resolves the host by name unless
// it is a dotted address.
int connectTo(const std::string& host, int port, std::chrono::milliseconds timeout);

// Sends all of `data`; false on a failure.
bool sendAll(int socket, const std::string& data);

}  // namespace ambrin::wizard
