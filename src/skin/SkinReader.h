#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/StdioFile.h"

namespace ambrin {

// Reads a skin description ("skin.xml") and reports its tags to the derived handler; it
// builds nothing itself. The accepted language is a narrow subset of XML: start tags with
// attributes, end tags, empty-element tags, comments ("<!" or "<-") and a declaration
// ("<?...?>") as the very first tag. Character data between tags is an error, entity
// references are not decoded, and end tags are not matched against start tags.
//
// Limits (characters): tag text 1024, element and attribute names 254, attribute values
// 254. Element names use A-Z a-z 0-9 ':' '_'; attribute names the same without '_'.
//
// Not thread-safe: one parse at a time, on the caller's thread; the notifications run on
// that thread, in document order.
class SkinReader {
  public:
    // Attributes of one start tag, by name; a repeated attribute keeps its last value.
    using Attributes = std::map<std::string, std::string>;

    SkinReader() = default;
    virtual ~SkinReader();
    SkinReader(const SkinReader&) = delete;
    SkinReader& operator=(const SkinReader&) = delete;

    // A start tag, and for an empty-element tag the end right after it. 0 goes on; any
    // other answer stops the parse with 23.
    virtual int startElement(const std::string& name, const Attributes& attributes) = 0;
    virtual int endElement(const std::string& name) = 0;

    // Parses a description file: 8 when it cannot be opened or read (nothing is reported
    // then), 23 on a syntax error or a handler's stop, else 0.
    int parseFile(const std::string& path);
    // Parses an in-memory description with the same rules; `text` must outlive the call.
    int parseText(std::string_view text);

    // "[n]." where n is the number of line breaks consumed before the parse stopped.
    std::string errorPosition() const;

  private:
    enum class TagRead { Tag, End, Bad };

    int parseLoop();
    TagRead readTag(std::string& text);
    void consumeCharacterData();
    void skipWhiteSpace();
    int handleTag(const std::string& text);
    int handleStartTag(const std::string& text);

    // The input: the open file if there is one, else the text from m_position on.
    int peek();
    void advance();

    int m_lineCounter = 1;  // 1 + line breaks consumed so far
    StdioFile m_file;
    std::string_view m_text;
    size_t m_position = 0;  // characters of m_text consumed
    Attributes m_attributes;
};

}  // namespace ambrin
