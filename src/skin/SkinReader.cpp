#include "skin/SkinReader.h"

#include <sys/stat.h>

#include <algorithm>

#include "skin/SkinResults.h"

namespace ambrin {

namespace {

constexpr size_t kTagTextLimit = 1024;
constexpr size_t kCharacterDataLimit = 4095;
constexpr size_t kNameLimit = 254;
constexpr size_t kValueLimit = 254;
constexpr int kEnd = -1;

bool isWhiteSpace(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isAttributeNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ':';
}

bool isElementNameChar(char c) {
    return isAttributeNameChar(c) || c == '_';
}

int lineBreaks(std::string_view text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Reading positions inside one tag's text.
class TagCursor {
  public:
    explicit TagCursor(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_index == m_text.size(); }
    size_t index() const { return m_index; }
    void rewind(size_t index) { m_index = index; }

    void skipWhiteSpace() {
        while (!atEnd() && isWhiteSpace(static_cast<unsigned char>(m_text[m_index]))) {
            ++m_index;
        }
    }

    bool take(char c) {
        if (atEnd() || m_text[m_index] != c) {
            return false;
        }
        ++m_index;
        return true;
    }

    // One or more characters of the class, at most `limit`; a longer run is an error
    // rather than a name cut in two.
    bool readName(bool (*allowed)(char), std::string& out) {
        const size_t start = m_index;
        while (!atEnd() && allowed(m_text[m_index])) {
            ++m_index;
        }
        const size_t length = m_index - start;
        if (length == 0 || length > kNameLimit) {
            return false;
        }
        out.assign(m_text.substr(start, length));
        return true;
    }

    // One to kValueLimit characters up to the next double quote (not consumed).
    bool readValue(std::string& out) {
        const size_t start = m_index;
        while (!atEnd() && m_text[m_index] != '"' && m_index - start < kValueLimit) {
            ++m_index;
        }
        if (m_index == start) {
            return false;
        }
        out.assign(m_text.substr(start, m_index - start));
        return true;
    }

  private:
    std::string_view m_text;
    size_t m_index = 0;
};

// name = "value" (white space allowed around "=" and before the closing quote), or
// name = "" for the empty value. The cursor stays put when neither matches.
bool readAttribute(TagCursor& cursor, std::string& name, std::string& value) {
    const size_t start = cursor.index();
    if (!cursor.readName(isAttributeNameChar, name)) {
        return false;
    }
    cursor.skipWhiteSpace();
    if (!cursor.take('=')) {
        cursor.rewind(start);
        return false;
    }
    cursor.skipWhiteSpace();
    if (!cursor.take('"')) {
        cursor.rewind(start);
        return false;
    }
    const size_t valueStart = cursor.index();
    if (cursor.readValue(value)) {
        cursor.skipWhiteSpace();
        if (cursor.take('"')) {
            return true;
        }
    }
    cursor.rewind(valueStart);
    cursor.skipWhiteSpace();
    if (cursor.take('"')) {
        value.clear();
        return true;
    }
    cursor.rewind(start);
    return false;
}

}  // namespace

SkinReader::~SkinReader() = default;

int SkinReader::parseFile(const std::string& path) {
    m_file = openStdioFile(path, "r");
    if (!m_file) {
        return skin::kOpenFailed;
    }
    struct stat info {};
    if (::fstat(::fileno(m_file.get()), &info) != 0 || S_ISDIR(info.st_mode)) {
        m_file.reset();
        return skin::kOpenFailed;
    }
    int result = parseLoop();
    if (std::ferror(m_file.get()) != 0) {
        result = skin::kOpenFailed;  // the file ended early through a read error
    }
    m_file.reset();
    return result;
}

int SkinReader::parseText(std::string_view text) {
    m_file.reset();
    m_text = text;
    m_position = 0;
    const int result = parseLoop();
    m_text = {};
    m_position = 0;
    return result;
}

std::string SkinReader::errorPosition() const {
    return "[" + std::to_string(m_lineCounter - 1) + "].";
}

int SkinReader::peek() {
    if (m_file) {
        const int c = std::getc(m_file.get());
        if (c == EOF) {
            return kEnd;
        }
        std::ungetc(c, m_file.get());
        return c;
    }
    if (m_position >= m_text.size()) {
        return kEnd;
    }
    return static_cast<unsigned char>(m_text[m_position]);
}

void SkinReader::advance() {
    if (m_file) {
        std::getc(m_file.get());
    } else if (m_position < m_text.size()) {
        ++m_position;
    }
}

void SkinReader::skipWhiteSpace() {
    for (int c = peek(); isWhiteSpace(c); c = peek()) {
        if (c == '\n') {
            ++m_lineCounter;
        }
        advance();
    }
}

int SkinReader::parseLoop() {
    m_lineCounter = 1;
    bool firstTag = true;
    int tagLines = 0;  // line breaks inside the previous tag, counted at the next pass
    for (;;) {
        m_lineCounter += tagLines;
        tagLines = 0;
        std::string text;
        const TagRead read = readTag(text);
        if (read == TagRead::End) {
            return skin::kOk;
        }
        if (read == TagRead::Bad) {
            consumeCharacterData();
            return skin::kParseFailed;
        }
        tagLines = lineBreaks(text);
        const bool declaration = firstTag && text.front() == '?' && text.back() == '?';
        firstTag = false;
        if (declaration) {
            continue;
        }
        skipWhiteSpace();
        if (handleTag(text) != skin::kOk) {
            return skin::kParseFailed;
        }
    }
}

// White space, "<", 1 to 1024 characters of tag text, white space, ">". End only when
// nothing but white space was left; a tag cut short by the end of the input is Bad.
SkinReader::TagRead SkinReader::readTag(std::string& text) {
    skipWhiteSpace();
    const int first = peek();
    if (first == kEnd) {
        return TagRead::End;
    }
    if (first != '<') {
        return TagRead::Bad;
    }
    advance();
    for (int c = peek(); c != kEnd && c != '>' && text.size() < kTagTextLimit; c = peek()) {
        text.push_back(static_cast<char>(c));
        advance();
    }
    if (text.empty()) {
        return TagRead::Bad;
    }
    skipWhiteSpace();
    if (peek() != '>') {
        return TagRead::Bad;
    }
    advance();
    return TagRead::Tag;
}

// The text that made the parse fail, up to the next "<": its line breaks still count, so
// the error position lies after it.
void SkinReader::consumeCharacterData() {
    skipWhiteSpace();
    size_t taken = 0;
    for (int c = peek(); c != kEnd && c != '<' && taken < kCharacterDataLimit; c = peek()) {
        if (c == '\n') {
            ++m_lineCounter;
        }
        advance();
        ++taken;
    }
}

int SkinReader::handleTag(const std::string& text) {
    // End tag: optional white space, "/", a name, optional white space.
    TagCursor cursor(text);
    cursor.skipWhiteSpace();
    if (cursor.take('/')) {
        std::string name;
        if (cursor.readName(isElementNameChar, name)) {
            cursor.skipWhiteSpace();
            if (cursor.atEnd()) {
                return endElement(name) == 0 ? skin::kOk : skin::kParseFailed;
            }
        }
    }
    // Comments and declarations; a ">" inside one ends it early, and the rest becomes
    // character data.
    if (text.front() == '!' || text.front() == '-') {
        return skin::kOk;
    }
    return handleStartTag(text);
}

int SkinReader::handleStartTag(const std::string& text) {
    TagCursor cursor(text);
    cursor.skipWhiteSpace();
    std::string element;
    if (!cursor.readName(isElementNameChar, element)) {
        return skin::kParseFailed;
    }
    m_attributes.clear();
    bool empty = false;
    for (;;) {
        cursor.skipWhiteSpace();
        if (cursor.take('/')) {
            empty = true;
            continue;
        }
        if (cursor.atEnd()) {
            break;
        }
        std::string name;
        std::string value;
        if (!readAttribute(cursor, name, value)) {
            return skin::kParseFailed;
        }
        m_attributes[name] = std::move(value);
    }
    if (startElement(element, m_attributes) != 0) {
        return skin::kParseFailed;
    }
    if (empty && endElement(element) != 0) {
        return skin::kParseFailed;
    }
    return skin::kOk;
}

}  // namespace ambrin
