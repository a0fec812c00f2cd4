#include "wizard/HttpHeader.h"

#include "platform/TextHelpers.h"

namespace ambrin::wizard {

namespace {

std::optional<long long> decimal(std::string_view text) {
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

HttpHeader HttpHeader::parse(std::string_view text) {
    HttpHeader header;
    const std::string_view first = takeLine(text);
    const std::size_t space = first.find(' ');
    if (space != std::string_view::npos) {
        std::string_view code = first.substr(space + 1);
        while (!code.empty() && code.front() == ' ') {
            code.remove_prefix(1);
        }
        code = code.substr(0, code.find(' '));
        if (const auto value = decimal(code.substr(0, 3)); value && code.size() == 3) {
            header.status = static_cast<int>(*value);
        }
    }
    while (!text.empty()) {
        const std::string_view line = takeLine(text);
        if (line.empty()) {
            break;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view name = trimmedView(line.substr(0, colon));
        const std::string_view value = trimmedView(line.substr(colon + 1));
        if (equalsNoCase(name, "Content-Length")) {
            header.contentLength = decimal(value);
        } else if ((header.status == 301 || header.status == 302) &&
                   equalsNoCase(name, "Location")) {
            header.location = std::string(value);
            break;
        }
    }
    return header;
}

HttpHeaderReader::State HttpHeaderReader::feed(std::string_view data) {
    if (m_state != State::Incomplete) {
        return m_state;
    }
    const std::size_t scanFrom = m_buffer.size();
    const std::size_t room = kHeaderLimit - m_buffer.size();
    const bool overflow = data.size() > room;
    m_buffer.append(data.substr(0, room));
    // The header ends at the first empty line: a line feed followed by an optional carriage
    // return and another line feed, or an empty first line.
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < m_buffer.size(); ++i) {
        if (m_buffer[i] != '\n') {
            continue;
        }
        std::string_view line(m_buffer.data() + lineStart, i - lineStart);
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() && i + 1 > scanFrom) {
            m_bodyStart = i + 1;
            m_header = HttpHeader::parse(std::string_view(m_buffer.data(), lineStart));
            // Body bytes that did not fit the header buffer are still the body's.
            if (overflow) {
                m_buffer.append(data.substr(room));
            }
            m_state = State::Complete;
            return m_state;
        }
        lineStart = i + 1;
    }
    if (m_buffer.size() >= kHeaderLimit) {
        m_state = State::TooLong;
    }
    return m_state;
}

std::string_view HttpHeaderReader::body() const {
    if (m_state != State::Complete) {
        return {};
    }
    return std::string_view(m_buffer).substr(m_bodyStart);
}

}  // namespace ambrin::wizard
