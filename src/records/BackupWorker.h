#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/BackupFiles.h"
#include "records/BackupProgress.h"

namespace ambrin {

// Parts close once they are longer than this before the next file.
inline constexpr std::uint64_t kBackupPartSize = 1073741824;
// The database's member in every backup.
inline constexpr const char* kBackupDatabaseEntry = "Ambrin.od2";

// Makes one backup: the database (copied with SQLite's backup, so a call stored meanwhile is
// either in it or not, never half) and every file below the recording folder, into zip parts
// named by the date in the backup folder. The parts are written under work names ("db_0.zip",
// ...) beside the backups and renamed into place only when all of them are complete, so a
// failed or stopped backup leaves the backup folder as it was, and an earlier backup of the
// same day stays whole until the new one replaces it.
// Runs on the thread that calls run(); one object makes one backup.
class BackupWorker {
  public:
    BackupWorker(BackupPlaces places, BackupFlags& flags, BackupProgress& progress);

    // Defaults: today's UTC date, 1 GiB parts.
    void setDate(const BackupDate& date) { m_date = date; }
    void setPartSize(std::uint64_t bytes) { m_partSize = bytes; }

    BackupResult run();

  private:
    struct Source {
        std::string path;
        std::string entryName;
        std::uint64_t size = 0;
        long modified = 0;
    };

    bool listFolder(const std::string& folder, const std::string& prefix,
                    std::vector<Source>& sources) const;
    bool copyDatabase(const std::string& copy) const;
    // Writes the parts; false on failure or stop. `written` gets their work names.
    bool writeParts(const std::vector<Source>& sources, std::vector<std::string>& written);
    bool putInPlace(const std::vector<std::string>& written) const;
    BackupResult fail();

    BackupPlaces m_places;
    BackupFlags& m_flags;
    BackupProgress& m_progress;
    BackupDate m_date;
    std::uint64_t m_partSize = kBackupPartSize;
    bool m_progressOpen = false;
};

// The work archives of a backup, in the backup folder ("db_0.zip", "db_1.zip", ...).
std::string backupWorkName(int part);

}  // namespace ambrin
