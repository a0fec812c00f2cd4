#include "wizard/UpdateManifest.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "platform/VersionInfo.h"

namespace ambrin::wizard {

namespace {

constexpr const char* kUpdateSection = "UPDATE";

bool isSha256(std::string& text) {
    if (text.size() != 64) {
        return false;
    }
    for (char& c : text) {
        if (c >= 'A' && c <= 'F') {
            c = static_cast<char>(c - 'A' + 'a');
        } else if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> realFolder(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return std::nullopt;
    }
    return std::string(resolved);
}

std::optional<UpdateEntry> readEntry(const ProfileReader& manifest, const std::string& section,
                                     int n, const std::string& installFolder) {
    const std::string index = std::to_string(n);
    auto file = manifest.value(section, "FILE" + index);
    auto url = manifest.value(section, "URL" + index);
    auto save = manifest.value(section, "SAVE" + index);
    const auto version = manifest.value(section, "VER" + index);
    auto digest = manifest.value(section, "SHA256" + index);
    if (!file || !url || !save || !version || !digest || file->empty() || url->empty() ||
        save->empty()) {
        return std::nullopt;
    }
    const auto parsed = parseVersion(*version);
    if (!parsed || !isSha256(*digest) || !isSafeName(installFolder, *file) ||
        !isSafeName(installFolder, *save)) {
        return std::nullopt;
    }
    UpdateEntry entry;
    entry.fileName = std::move(*file);
    entry.url = std::move(*url);
    entry.saveName = std::move(*save);
    const long long size = manifest.number(section, "SIZE" + index);
    entry.size = static_cast<std::int32_t>(std::clamp<long long>(size, INT32_MIN, INT32_MAX));
    entry.version = *parsed;
    entry.sha256 = std::move(*digest);
    return entry;
}

}  // namespace

std::optional<FileVersion> parseVersion(std::string_view text) {
    FileVersion version{};
    for (std::size_t part = 0; part < 4; ++part) {
        while (!text.empty() && text.front() == ' ') {
            text.remove_prefix(1);
        }
        std::uint64_t value = 0;
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            value = value * 10 + static_cast<std::uint64_t>(text[digits] - '0');
            if (value > UINT32_MAX) {
                return std::nullopt;
            }
            ++digits;
        }
        if (digits == 0) {
            return std::nullopt;
        }
        version[part] = static_cast<std::uint32_t>(value);
        text.remove_prefix(digits);
        while (!text.empty() && text.front() == ' ') {
            text.remove_prefix(1);
        }
        if (part < 3) {
            if (text.empty() || text.front() != ',') {
                return std::nullopt;
            }
            text.remove_prefix(1);
        }
    }
    return text.empty() ? std::optional<FileVersion>(version) : std::nullopt;
}

bool isOlder(const FileVersion& installed, const FileVersion& offered) {
    return installed < offered;
}

bool needsUpdate(const UpdateEntry& entry, const std::string& installFolder) {
    const std::string path = installFolder + entry.fileName;
    if (const auto info = VersionInfo::read(path); info && info->hasVersion()) {
        return isOlder(info->version, entry.version);
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return true;
    }
    return status.st_size == 0 || status.st_size != entry.size;
}

bool isSafeName(const std::string& installFolder, std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find("..") != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return false;
    }
    const auto root = realFolder(installFolder);
    if (!root) {
        return false;
    }
    // The deepest part of the path that exists decides where the name really leads; what
    // does not exist yet cannot lead anywhere else, as ".." is not allowed.
    std::filesystem::path path = std::filesystem::path(installFolder) / std::string(name);
    std::error_code error;
    while (!std::filesystem::exists(std::filesystem::symlink_status(path, error)) &&
           path.has_parent_path()) {
        path = path.parent_path();
    }
    const auto real = realFolder(path.string());
    if (!real) {
        return false;  // a dangling link, or a folder we may not look into
    }
    return *real == *root || real->rfind(*root + "/", 0) == 0;
}

ManifestList readManifest(const ProfileReader& manifest, const std::string& installFolder) {
    ManifestList list;
    const auto master = manifest.value(kUpdateSection, "MASTER");
    if (!master || master->empty()) {
        return list;
    }
    std::string section;
    if (isSafeName(installFolder, *master)) {
        if (const auto info = VersionInfo::read(installFolder + *master)) {
            section = info->fileDescription;
        }
    }
    if (section.empty()) {
        section = manifest.value(kUpdateSection, "DEFAULT").value_or("");
    }
    if (section.empty()) {
        list.noMasterFile = true;
        return list;
    }
    const long long count = manifest.number(section, "COUNT");
    std::vector<UpdateEntry> entries;
    for (int n = 0; n < count && n < kMaxEntries; ++n) {
        if (auto entry = readEntry(manifest, section, n, installFolder)) {
            entries.push_back(std::move(*entry));
        }
    }
    if (static_cast<long long>(entries.size()) != count) {
        return list;
    }
    // A download must never land on a file of the list before it has been checked.
    for (const UpdateEntry& download : entries) {
        for (const UpdateEntry& target : entries) {
            if (download.saveName == target.fileName) {
                return list;
            }
        }
    }
    for (UpdateEntry& entry : entries) {
        entry.needsUpdate = needsUpdate(entry, installFolder);
        list.flagged += entry.needsUpdate ? 1 : 0;
    }
    list.entries = std::move(entries);
    return list;
}

}  // namespace ambrin::wizard
