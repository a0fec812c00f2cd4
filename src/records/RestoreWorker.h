#pragma once

#include <string>
#include <vector>

#include "records/BackupArchive.h"
#include "records/BackupFiles.h"
#include "records/BackupProgress.h"

namespace ambrin {

// Restores one backup: every part's entries below the recording folder, and its database in
// place of the live one. Nothing is written before every part has been read and every name
// checked: a name that would leave the recording folder (absolute, "..", a link) refuses the
// whole backup. Each file is written beside its place and renamed over it when complete, so a
// failure never leaves a half-written recording; an entry larger than the free space is
// refused before it is written. The database is put in place last, and only when every part
// was restored and the restored copy reads as a database: a failed or stopped restore leaves
// the live database as it was.
// Runs on the thread that calls run(); one object makes one restore.
class RestoreWorker {
  public:
    RestoreWorker(BackupPlaces places, std::string dateName, BackupFlags& flags,
                  BackupProgress& progress);

    BackupResult run();

  private:
    struct Part {
        std::string path;
        ZipHandle archive;
        std::vector<ArchiveEntry> entries;
    };

    bool readParts(std::vector<Part>& parts) const;
    bool extract(Part& part, const ArchiveEntry& entry, const std::string& target) const;
    bool makeParents(const std::string& relative) const;
    bool putDatabaseInPlace(const std::string& restored) const;
    BackupResult fail();

    BackupPlaces m_places;
    std::string m_dateName;
    BackupFlags& m_flags;
    BackupProgress& m_progress;
};

}  // namespace ambrin
