#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ambrin::wizard {

// The answer's header must fit the first 4096 bytes received; a longer one never
// completes and the transfer fails.
inline constexpr std::size_t kHeaderLimit = 4096;

struct HttpHeader {
    int status = 0;                          // the second word of the first line
    std::optional<long long> contentLength;  // "Content-Length", when present and valid
    std::optional<std::string> location;     // "Location" of a 301 or 302

    // Parses the lines before the empty line (line ends already cut or not). Names are
    // compared without case; for 301 and 302 parsing ends at "Location".
    static HttpHeader parse(std::string_view text);
};

// Collects the start of an answer until its header is complete. Not thread-safe; one per
// transfer.
class HttpHeaderReader {
  public:
    enum class State { Incomplete, Complete, TooLong };

    // Appends received bytes. After Complete, header() and body() hold the result and
    // further bytes are the body's (not fed here).
    State feed(std::string_view data);
    State state() const { return m_state; }
    const HttpHeader& header() const { return m_header; }
    // The body bytes that came with the header.
    std::string_view body() const;

  private:
    std::string m_buffer;
    std::size_t m_bodyStart = 0;
    State m_state = State::Incomplete;
    HttpHeader m_header;
};

}  // namespace ambrin::wizard
