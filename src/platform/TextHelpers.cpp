#include "platform/TextHelpers.h"

#include <cstdio>

namespace ambrin {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Length in bytes of the UTF-8 character starting at text[pos]; 1 for an invalid byte.
size_t characterLength(std::string_view text, size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (pos + length > text.size()) {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
    return std::string(trimmedView(text));
}

std::string_view trimmedView(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::string_view takeLine(std::string_view& text) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    while (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

std::string LeadingCharacters(std::string_view text, size_t count) {
    size_t pos = 0;
    for (size_t n = 0; n < count && pos < text.size(); ++n) {
        pos += characterLength(text, pos);
    }
    return std::string(text.substr(0, pos));
}

bool isWellFormedUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const size_t length = lead < 0xC2   ? 0
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                              : lead < 0xF5 ? 4
                                            : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        // The second byte's range rules out the overlong forms, the surrogates and what lies
        // past U+10FFFF; the others are plain continuation bytes.
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high) {
            return false;
        }
        for (size_t k = 2; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

size_t characterCount(std::string_view text) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); pos += characterLength(text, pos)) {
        ++count;
    }
    return count;
}

std::string cutToBytes(std::string_view text, size_t maxBytes) {
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t next = pos + characterLength(text, pos);
        if (next > maxBytes) {
            break;
        }
        pos = next;
    }
    return std::string(text.substr(0, pos));
}

std::string fieldAt(std::string_view text, size_t index) {
    size_t start = 0;
    for (size_t n = 0; n < index; ++n) {
        const size_t sep = text.find(';', start);
        if (sep == std::string_view::npos) {
            return {};
        }
        start = sep + 1;
    }
    const size_t end = text.find(';', start);
    return std::string(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
}

std::string formatHms(long long seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return buffer;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return asciiLower(a) == asciiLower(b);
}

std::string fillIn(std::string text, std::initializer_list<std::string_view> values) {
    size_t from = 0;
    for (const std::string_view value : values) {
        size_t at = from;
        while ((at = text.find('%', at)) != std::string::npos && at + 1 < text.size() &&
               text[at + 1] != 's' && text[at + 1] != 'd') {
            ++at;
        }
        if (at == std::string::npos || at + 1 >= text.size()) {
            break;
        }
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

}  // namespace ambrin
