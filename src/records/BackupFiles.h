#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ambrin {

class AppContext;

// A calendar date (UTC where it names a backup).
struct BackupDate {
    int year = 0;
    int month = 0;
    int day = 0;

    // Days since 1970-01-01.
    std::int64_t dayNumber() const;
    // "%04d%02d%02d", the name of a backup.
    std::string name() const;
    friend bool operator==(const BackupDate&, const BackupDate&) = default;
};

// Today's date in UTC.
BackupDate currentUtcDate();

// The file name of part `part` of the backup of `date`: "20120731.odk", "20120731.od01", ...
std::string backupPartName(const BackupDate& date, int part);

// The date name of a backup file: its name up to the first '.', 'o', 'd' or 'k'
// ("20120731.odk" → "20120731").
std::string backupDateName(const std::string& fileName);
// That name read as a date; nothing unless it is "%04d%02d%02d" of a real date.
std::optional<BackupDate> parseBackupDate(const std::string& fileName);

// The part number of a file of a backup: 0 for ".odk", n for ".odNN"; nothing for other names.
std::optional<int> backupPartIndex(const std::string& fileName);

// A line of the backup list: one backup, known by its first part.
struct BackupEntry {
    std::string displayName;  // 20120731
    std::string fileName;     // 20120731.odk
    std::string date;         // the file's last-write time as a UTC date, "%d-%02d-%02d"
};

// The backups in `folder` ("*.odk"), sorted by name.
std::vector<BackupEntry> listBackups(const std::string& folder);

// The files of the backup with this date name in `folder` (the name followed by ".*"), part 0
// first, then the further parts in their order, then any other file of that pattern.
std::vector<std::string> backupFilesOf(const std::string& folder, const std::string& dateName);

// Deletes every file of that date name in `folder`. True when none is left.
bool deleteBackup(const std::string& folder, const std::string& dateName);

// `folder` with a '/' at its end (empty stays empty).
std::string withSlash(std::string folder);

// Where a backup reads and writes, from the settings.
struct BackupPlaces {
    std::string recordingFolder;  // "DatabasePath", ending in '/'
    std::string databaseFile;     // "InstallPath" + "Ambrin.od2"
    std::string backupFolder;     // "DBBackupPath", ending in '/'
};
// Empty members where a setting cannot be read.
BackupPlaces backupPlaces(const AppContext& context);

}  // namespace ambrin
