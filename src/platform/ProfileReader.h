#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ambrin {

// Reads INI-style profile text the way the manifest's publishers expect: "[section]"
// lines, one "key=value" a line, section and key names compared without case, blanks
// around names and values ignored, the first occurrence of a section or key counting.
// Immutable after parsing; safe to read from any thread.
class ProfileReader {
  public:
    static ProfileReader parse(std::string_view text);
    // Nothing when the file cannot be read or is larger than `maxBytes`.
    static std::optional<ProfileReader> load(const std::string& path,
                                             std::size_t maxBytes = 1 << 20);

    bool hasSection(std::string_view section) const;
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The value's leading decimal number (with an optional sign), or `fallback` when the
    // key is missing or does not start with one.
    long long number(std::string_view section, std::string_view key, long long fallback = 0) const;

  private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* find(std::string_view section) const;

    std::vector<Section> m_sections;
};

}  // namespace ambrin
