#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace ambrin {

// Capacity of the program's text fields in characters (paths and short fields).
inline constexpr size_t kTextCapacity = 260;
// Capacity of the long record fields.
inline constexpr size_t kLongTextCapacity = 520;

// Removes blanks (space, tab, CR, LF) from both ends.
std::string TrimBlanks(std::string_view text);
std::string_view trimmedView(std::string_view text);

// Cuts the first line off `text` (up to a line feed or the end) and returns it without
// its carriage returns at the end.
std::string_view takeLine(std::string_view& text);

// The first `count` characters of a UTF-8 text; a multi-byte character counts as one and is
// never split. Invalid bytes count as one character each.
std::string LeadingCharacters(std::string_view text, size_t count);

// Whether `text` is well-formed UTF-8: no overlong forms, surrogates or code points past
// U+10FFFF, no sequence cut short. A zero byte is a character like any other.
bool isWellFormedUtf8(std::string_view text);

// Number of UTF-8 characters in `text` (invalid bytes count as one each).
size_t characterCount(std::string_view text);

// Cuts `text` to at most `maxBytes` bytes without splitting a UTF-8 character.
std::string cutToBytes(std::string_view text, size_t maxBytes);

// The n-th (0-based) field of a ";"-separated text; empty when there are fewer fields.
std::string fieldAt(std::string_view text, size_t index);

// "%02d:%02d:%02d" of a number of seconds (hours are not wrapped).
std::string formatHms(long long seconds);

// ASCII lower case, for names compared without case.
std::string asciiLower(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);

// A string-table text with its "%s" and "%d" places filled in order with `values`; places
// beyond the values stay as they are.
std::string fillIn(std::string text, std::initializer_list<std::string_view> values);

}  // namespace ambrin
