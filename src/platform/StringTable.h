#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/StringIds.h"

namespace ambrin {

inline constexpr int kLangKorean = 1042;
inline constexpr int kLangEnglish = 1033;

// The compiled-in string tables: Korean (1042) and English (1033), the same ids in both.
// Immutable after first use; safe to read from any thread.
class StringTable {
  public:
    static const StringTable& forLanguage(int langId);

    // The text of `id`, or an empty view when the table has no such id.
    std::string_view text(int id) const;
    std::vector<int> ids() const;

    // Parses the table file format: "<id>\t<text>" a line, '#' comments, \n \t \\ escapes.
    static StringTable parse(std::string_view source);

  private:
    std::vector<std::pair<int, std::string>> m_entries;  // sorted by id
};

// Selects the language in which this thread loads strings. The program forces Korean
// (1042) on every thread; AMBRIN_UI_LANG=1033 (or 1042) in the environment overrides the
// requested language so English screens and tests can be had.
void SetUiLanguage(int langId);

// The language of the calling thread: its own SetUiLanguage choice, else the one the
// main thread chose, else Korean.
int uiLanguage();

// The text of string `id` in the calling thread's language.
std::string loadString(int id);

}  // namespace ambrin
