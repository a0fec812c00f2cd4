#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileReader.h"

namespace ambrin::wizard {

// Only the first 64 entries of a file list are read.
inline constexpr int kMaxEntries = 64;

using FileVersion = std::array<std::uint32_t, 4>;  // major, minor, build, revision

// One entry of the manifest's file list, in manifest order.
struct UpdateEntry {
    std::string fileName;  // relative to the installation folder: the file to replace
    std::string url;
    std::string saveName;  // relative to the installation folder: the download's name
    std::int32_t size = 0;
    FileVersion version{};
    std::string sha256;  // 64 lower-case hex digits
    bool needsUpdate = false;
};

struct ManifestList {
    std::vector<UpdateEntry> entries;  // empty: nothing to do
    int flagged = 0;                   // entries that need updating
    bool noMasterFile = false;         // neither a master description nor "DEFAULT"
};

// Reads the file list of a (signed) manifest for the installation folder (ending in "/"):
// the section named by the master file's FileDescription or by "DEFAULT", entries 0 to
// min(COUNT, 64) - 1. An incomplete entry (FILE, URL, SAVE, VER or SHA256 missing or
// malformed), an unsafe name, or a count that differs from COUNT discards the whole list.
ManifestList readManifest(const ProfileReader& manifest, const std::string& installFolder);

// "%d,%d,%d,%d" (blanks allowed around the numbers); nothing when malformed.
std::optional<FileVersion> parseVersion(std::string_view text);

// True when `installed` is lower than `offered`, major first, revision last.
bool isOlder(const FileVersion& installed, const FileVersion& offered);

// The version test: a local file with version information needs updating when it is older
// than the entry's version; one without needs updating when it is missing, empty or of
// another size than the entry's.
bool needsUpdate(const UpdateEntry& entry, const std::string& installFolder);

// True for a name that stays inside the installation folder: relative, without "..", and
// not leading out of it through a symbolic link on the way.
bool isSafeName(const std::string& installFolder, std::string_view name);

}  // namespace ambrin::wizard
