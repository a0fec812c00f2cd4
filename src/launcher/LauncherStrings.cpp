#include "launcher/LauncherStrings.h"

#include "platform/StringTable.h"

namespace ambrin::launcher {

namespace detail {
extern const char* const kEnglishStrings;
extern const char* const kKoreanStrings;
}  // namespace detail

std::string launcherString(int id) {
    static const StringTable english = StringTable::parse(detail::kEnglishStrings);
    static const StringTable korean = StringTable::parse(detail::kKoreanStrings);
    return std::string((uiLanguage() == kLangEnglish ? english : korean).text(id));
}

}  // namespace ambrin::launcher
