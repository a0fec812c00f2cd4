#include "skin/SkinValues.h"

#include <climits>
#include <vector>

#include "skin/SkinPaths.h"

namespace ambrin::skin {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

class Scanner {
  public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    void skipSpace() {
        while (m_pos < m_text.size() && isSpace(m_text[m_pos])) {
            ++m_pos;
        }
    }
    bool number(int& value) {
        skipSpace();
        bool negative = false;
        if (m_pos < m_text.size() && (m_text[m_pos] == '-' || m_text[m_pos] == '+')) {
            negative = m_text[m_pos] == '-';
            ++m_pos;
        }
        const size_t start = m_pos;
        long long magnitude = 0;
        while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
            magnitude = magnitude * 10 + (m_text[m_pos] - '0');
            if (magnitude > kCoordinateLimit) {
                return false;
            }
            ++m_pos;
        }
        if (m_pos == start) {
            return false;
        }
        value = static_cast<int>(negative ? -magnitude : magnitude);
        return true;
    }
    bool literal(char c) {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool atEnd() {
        skipSpace();
        return m_pos == m_text.size();
    }

  private:
    std::string_view m_text;
    size_t m_pos = 0;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

bool parseRect(std::string_view text, SkinRect& rect) {
    Scanner in(text);
    SkinRect parsed;
    if (in.number(parsed.left) && in.literal(',') && in.number(parsed.top) && in.literal(',') &&
        in.number(parsed.right) && in.literal(',') && in.number(parsed.bottom) && in.atEnd()) {
        rect = parsed;
        return true;
    }
    return false;
}

bool parsePoint(std::string_view text, QPoint& point) {
    Scanner in(text);
    int x = 0;
    int y = 0;
    if (in.number(x) && in.literal(',') && in.number(y) && in.atEnd()) {
        point = QPoint(x, y);
        return true;
    }
    return false;
}

bool parseColour(std::string_view text, QColor& colour) {
    size_t start = 0;
    while (start < text.size() && isSpace(text[start])) {
        ++start;
    }
    size_t end = text.size();
    while (end > start && isSpace(text[end - 1])) {
        --end;
    }
    const std::string_view value = text.substr(start, end - start);
    if (value.size() != 7 || value[0] != '#') {
        return false;
    }
    int channels[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int high = hexDigit(value[1 + 2 * static_cast<size_t>(i)]);
        const int low = hexDigit(value[2 + 2 * static_cast<size_t>(i)]);
        if (high < 0 || low < 0) {
            return false;
        }
        channels[i] = high * 16 + low;
    }
    colour = QColor(channels[0], channels[1], channels[2]);
    return true;
}

int parseInteger(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        if (value > INT_MAX) {
            value = INT_MAX;
        }
        ++pos;
    }
    return static_cast<int>(negative ? -value : value);
}

bool parseFlag(std::string_view text) {
    return text == "yes";
}

QRect cellOf(const SkinRect& source, int columns, int rows, int column, int row) {
    if (columns < 1 || rows < 1) {
        return {};
    }
    const int cellWidth = (source.width() + 1) / columns;
    const int cellHeight = (source.height() + 1) / rows;
    return QRect(source.left + column * cellWidth, source.top + row * cellHeight, cellWidth,
                 cellHeight);
}

std::string resolveSkinFile(const std::string& folder, std::string_view name) {
    const bool drive = name.size() >= 3 && name[1] == ':' && (name[2] == '\\' || name[2] == '/');
    const bool absolute = drive || (!name.empty() && (name[0] == '/' || name[0] == '\\'));
    if (absolute) {
        const std::string base = memberBaseName(name);
        return isUsableMemberName(base) ? joinPath(folder, base) : std::string();
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const std::string_view part = name.substr(start, end - start);
        if (part == "..") {
            if (parts.empty()) {
                return {};
            }
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    if (parts.empty()) {
        return {};
    }
    std::string path = folder;
    for (const std::string& part : parts) {
        path = joinPath(path, part);
    }
    return path;
}

}  // namespace ambrin::skin
