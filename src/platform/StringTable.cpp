#include "platform/StringTable.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>

namespace ambrin {

namespace detail {
extern const char* const kEnglishStrings;
extern const char* const kKoreanStrings;
}  // namespace detail

namespace {

// The first language chosen by any thread stands for threads that never chose one
// (library callback threads, for instance).
std::atomic<int> g_processLanguage{0};
thread_local int t_language = 0;

std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            switch (next) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                default:
                    out += next;
                    break;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

int languageOverride() {
    const char* value = std::getenv("AMBRIN_UI_LANG");
    if (value == nullptr) {
        return 0;
    }
    const int lang = std::atoi(value);
    return lang == kLangEnglish || lang == kLangKorean ? lang : 0;
}

}  // namespace

StringTable StringTable::parse(std::string_view source) {
    StringTable table;
    while (!source.empty()) {
        const size_t end = source.find('\n');
        std::string_view line = source.substr(0, end);
        source = end == std::string_view::npos ? std::string_view{} : source.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            continue;
        }
        int id = 0;
        const auto [ptr, ec] = std::from_chars(line.data(), line.data() + tab, id);
        if (ec != std::errc() || ptr != line.data() + tab) {
            continue;
        }
        table.m_entries.emplace_back(id, unescape(line.substr(tab + 1)));
    }
    std::stable_sort(table.m_entries.begin(), table.m_entries.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return table;
}

const StringTable& StringTable::forLanguage(int langId) {
    static const StringTable english = parse(detail::kEnglishStrings);
    static const StringTable korean = parse(detail::kKoreanStrings);
    return langId == kLangEnglish ? english : korean;
}

std::string_view StringTable::text(int id) const {
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), id,
                                     [](const auto& entry, int key) { return entry.first < key; });
    if (it == m_entries.end() || it->first != id) {
        return {};
    }
    return it->second;
}

std::vector<int> StringTable::ids() const {
    std::vector<int> out;
    out.reserve(m_entries.size());
    for (const auto& entry : m_entries) {
        out.push_back(entry.first);
    }
    return out;
}

void SetUiLanguage(int langId) {
    const int forced = languageOverride();
    t_language = forced != 0 ? forced : langId;
    int expected = 0;
    g_processLanguage.compare_exchange_strong(expected, t_language, std::memory_order_relaxed);
}

int uiLanguage() {
    if (t_language != 0) {
        return t_language;
    }
    const int process = g_processLanguage.load(std::memory_order_relaxed);
    if (process != 0) {
        return process;
    }
    const int forced = languageOverride();
    return forced != 0 ? forced : kLangKorean;
}

std::string loadString(int id) {
    return std::string(StringTable::forLanguage(uiLanguage()).text(id));
}

}  // namespace ambrin
