#include "wizard/WizardStrings.h"

#include "platform/StringTable.h"

namespace ambrin::wizard {

namespace detail {
extern const char* const kEnglishStrings;
extern const char* const kKoreanStrings;
}  // namespace detail

std::string wizardString(int id, int langId) {
    static const StringTable english = StringTable::parse(detail::kEnglishStrings);
    static const StringTable korean = StringTable::parse(detail::kKoreanStrings);
    return std::string((langId == kLangEnglish ? english : korean).text(id));
}

std::string wizardString(int id) {
    return wizardString(id, uiLanguage());
}

std::string fillPlaces(std::string_view format, std::initializer_list<std::string> values) {
    std::string out;
    auto next = values.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char kind = format[i + 1];
            if (kind == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (kind == 's' || kind == 'd') {
                if (next != values.end()) {
                    out += *next++;
                }
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

}  // namespace ambrin::wizard
