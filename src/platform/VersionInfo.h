#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ambrin {

// Name and type of the version note that every deliverable carries in its ELF section
// ".note.ambrin.version". The note's descriptor holds four 32-bit numbers in the file's
// byte order (major, minor, build, revision), then ProductName and FileDescription, each
// ended by a NUL.
inline constexpr const char* kVersionNoteSection = ".note.ambrin.version";
inline constexpr const char* kVersionNoteOwner = "Ambrin";
inline constexpr std::uint32_t kVersionNoteType = 1;

// The version information of a file. Safe from any thread.
struct VersionInfo {
    std::string productName;                 // at most 255 characters
    std::string fileDescription;             // at most 255 characters
    std::array<std::uint32_t, 4> version{};  // major, minor, build, revision

    // Reads the note from any file; nothing when the file cannot be read, is not ELF, or
    // carries no well-formed note.
    static std::optional<VersionInfo> read(const std::string& path);
    // The same from a file's bytes already in memory.
    static std::optional<VersionInfo> parse(std::string_view elf);

    // A version counts as present when major, minor or build is non-zero.
    bool hasVersion() const { return version[0] != 0 || version[1] != 0 || version[2] != 0; }
    std::string versionText() const;  // "major.minor.build.revision"
};

}  // namespace ambrin
