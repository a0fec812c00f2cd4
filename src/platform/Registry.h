#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ambrin {

// The two hives the program uses.
enum class Hive { CurrentUser, LocalMachine };

enum class RegResult {
    Ok,
    NotFound,  // the value (or the key) does not exist
    Error,     // the file cannot be read or written
};

enum class RegType { String, Dword };

struct RegValue {
    RegType type = RegType::String;
    std::string text;         // for RegType::String
    std::uint32_t dword = 0;  // for RegType::Dword
};

// A registry key kept as one text file per key:
//   HKEY_CURRENT_USER\SOFTWARE\<path>  ->  $XDG_CONFIG_HOME/<path>.conf
//   HKEY_LOCAL_MACHINE\SOFTWARE\<path> ->  $AMBRIN_MACHINE_CONFIG/<path>.conf
//     ($AMBRIN_MACHINE_CONFIG defaults to /etc/xdg, or the user's config folder when that
//      is not writable)
// Backslashes of the key path become folders. Value names compare without case.
//
// There is no cache: every query reads the file afresh, and every change rewrites it
// atomically (write a temporary file, fsync, rename) under an exclusive flock on a lock
// file beside it, so several threads and processes may change values at the same time
// without losing one another's changes, and a reader never sees half a file. Lines the
// reader does not understand are kept as they are.
class RegistryKey {
  public:
    // Opens an existing key; null when it does not exist or the path is not acceptable.
    static std::unique_ptr<RegistryKey> open(Hive hive, std::string_view keyPath);
    // Opens the key, creating it (and its folders) when missing; null when that fails.
    static std::unique_ptr<RegistryKey> create(Hive hive, std::string_view keyPath);

    // The file that holds a key; empty for a path with ".." or empty components.
    static std::string filePathFor(Hive hive, std::string_view keyPath);

    RegResult query(std::string_view name, RegValue& out) const;
    RegResult setString(std::string_view name, std::string_view text);
    RegResult setDword(std::string_view name, std::uint32_t value);
    RegResult deleteValue(std::string_view name);

    const std::string& filePath() const { return m_file; }

  private:
    explicit RegistryKey(std::string file) : m_file(std::move(file)) {}
    RegResult setValue(std::string_view name, const RegValue* value);

    std::string m_file;
};

}  // namespace ambrin
