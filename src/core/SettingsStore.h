#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/SettingNames.h"
#include "platform/Registry.h"

namespace ambrin {

// Result codes of every settings read and write.
inline constexpr int kSettingsOk = 0;
inline constexpr int kSettingsError = 1;        // any other storage error
inline constexpr int kSettingsBadArgument = 2;  // no value name, or no output
inline constexpr int kSettingsNotOpen = 3;      // the key could neither be opened nor created
inline constexpr int kSettingsMoreData = 4;     // the buffer is too small (or a size-only read)
inline constexpr int kSettingsNotFound = 20;    // the value does not exist

// The product key: HKEY_CURRENT_USER\SOFTWARE\Tavix\Ambrin+ v2.0.
inline constexpr const char* kCompanyKey = "SOFTWARE\\Tavix";
inline constexpr const char* kProductKey = "Ambrin+ v2.0";
// The installation holds this program file; only then is "InstallPath" repaired.
inline constexpr const char* kProgramFileName = "ambrin";

enum class SettingType { String, Bool, Int };

// How a setting's default is made when the default pass writes it.
enum class DefaultKind {
    Fixed,            // text or number below
    ProgramFolder,    // the program folder
    InProgramFolder,  // the writable folder of the program folder, then the text below
    StringId,         // string `number` of the string table in the thread's language
};

struct SettingDefinition {
    const char* name;
    SettingType type;
    DefaultKind kind;
    const char* text;  // fixed text, or the name appended to the program folder
    int number;        // fixed number (booleans 0/1), or the string id
};

// Typed access to the product key. No cache: every read goes to the stored key, every
// change is written at once, so a value written by one thread or process is seen by the
// next read of any other. Safe to call from several threads at once.
// A numeric setting whose stored value is outside its range, and the value used instead.
struct SettingCorrection {
    std::string name;
    int stored;
    int used;
};

class SettingsStore {
  public:
    // Opens the product key, repairs "InstallPath" when this program runs from a folder that
    // holds the program file, and writes every missing default. `programFolder` ends in '/'.
    explicit SettingsStore(std::string programFolder);

    // Every value of the program in the order of the default pass.
    static std::span<const SettingDefinition> table();

    // Writes the default of every value that does not exist yet.
    int setDefaults();

    // Reads a string into `buffer` of `*size` bytes (room for the terminating zero
    // included). Clears the first byte first. With no buffer and *size 0, only reports the
    // needed size in *size and returns kSettingsMoreData. A value that does not fit returns
    // kSettingsMoreData, the needed size in *size, and an empty buffer.
    int readString(std::string_view name, char* buffer, std::uint32_t* size) const;
    // The same into a std::string with the given capacity in bytes (terminating zero
    // included); `out` is empty unless the result is kSettingsOk.
    int readString(std::string_view name, std::string& out, std::uint32_t capacity = 260) const;
    int writeString(std::string_view name, std::string_view text);

    // Any non-zero stored value reads as true.
    int readBool(std::string_view name, bool& out) const;
    int writeBool(std::string_view name, bool value);

    // Sets `out` to 0 before reading. A value outside its range (kSettingRanges) reads as
    // the value used in its place.
    int readInt(std::string_view name, int& out) const;
    int writeInt(std::string_view name, int value);

    // Every stored numeric value that reads as another, in the order of kSettingRanges.
    std::vector<SettingCorrection> corrections() const;

    bool isOpen() const { return m_key != nullptr; }
    const std::string& programFolder() const { return m_programFolder; }

    // Convenience for callers that keep a built-in default when a read fails.
    std::string stringOr(std::string_view name, std::string_view fallback) const;
    bool boolOr(std::string_view name, bool fallback) const;
    int intOr(std::string_view name, int fallback) const;

  private:
    void repairInstallation();
    // The value as stored, without its range applied.
    int readStoredInt(std::string_view name, int& out) const;
    // Reads a value that must have the given type.
    int query(std::string_view name, RegType type, RegValue& value) const;
    int writeDefault(const SettingDefinition& definition);

    std::string m_programFolder;
    std::unique_ptr<RegistryKey> m_key;  // null when the key could not be opened or created
};

}  // namespace ambrin
