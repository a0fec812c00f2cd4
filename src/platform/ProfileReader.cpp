#include "platform/ProfileReader.h"

#include <fstream>
#include <iterator>

#include "platform/TextHelpers.h"

namespace ambrin {

ProfileReader ProfileReader::parse(std::string_view text) {
    ProfileReader reader;
    Section* current = nullptr;
    while (!text.empty()) {
        const std::string_view line = trimmedView(takeLine(text));
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string_view name = trimmedView(
                line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            // A repeated section is ignored: its first occurrence counts.
            current = nullptr;
            if (reader.find(name) == nullptr) {
                reader.m_sections.push_back(Section{std::string(name), {}});
                current = &reader.m_sections.back();
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmedView(line.substr(0, equals));
        std::string_view value = trimmedView(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        bool known = false;
        for (const Entry& entry : current->entries) {
            known = known || equalsNoCase(entry.key, key);
        }
        if (!known && !key.empty()) {
            current->entries.push_back(Entry{std::string(key), std::string(value)});
        }
    }
    return reader;
}

std::optional<ProfileReader> ProfileReader::load(const std::string& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text;
    text.resize(maxBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > maxBytes) {
        return std::nullopt;
    }
    text.resize(got);
    return parse(text);
}

const ProfileReader::Section* ProfileReader::find(std::string_view section) const {
    for (const Section& candidate : m_sections) {
        if (equalsNoCase(candidate.name, section)) {
            return &candidate;
        }
    }
    return nullptr;
}

bool ProfileReader::hasSection(std::string_view section) const {
    return find(section) != nullptr;
}

std::optional<std::string> ProfileReader::value(std::string_view section,
                                                std::string_view key) const {
    const Section* found = find(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    for (const Entry& entry : found->entries) {
        if (equalsNoCase(entry.key, key)) {
            return entry.value;
        }
    }
    return std::nullopt;
}

long long ProfileReader::number(std::string_view section, std::string_view key,
                                long long fallback) const {
    const auto text = value(section, key);
    if (!text || text->empty()) {
        return fallback;
    }
    std::size_t at = 0;
    bool negative = false;
    if ((*text)[0] == '-' || (*text)[0] == '+') {
        negative = (*text)[0] == '-';
        at = 1;
    }
    if (at >= text->size() || (*text)[at] < '0' || (*text)[at] > '9') {
        return fallback;
    }
    long long result = 0;
    constexpr long long kLimit = 1LL << 53;
    for (; at < text->size() && (*text)[at] >= '0' && (*text)[at] <= '9'; ++at) {
        result = std::min(kLimit, result * 10 + ((*text)[at] - '0'));
    }
    return negative ? -result : result;
}

}  // namespace ambrin
