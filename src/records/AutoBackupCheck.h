#pragma once

#include <functional>

#include "records/BackupFiles.h"

namespace ambrin {

class AppContext;

// The start-up offer of a backup. With "AutoBackupIndex" N from 1 to 4 and at least one
// backup in "DBBackupPath" (created when missing), asks "Do you want to back up your data?"
// once the newest backup is more than 7 × N calendar days before `today`; on Yes, deletes
// every file of the oldest backup when there are two or more, then calls `startBackup`,
// which returns when the backup is done. Without any backup nothing is offered: automatic
// backups begin after a first one. True when a backup was started.
// Called on the main thread at start-up, before the database is opened.
bool AutoBackupCheck(const AppContext& context, const BackupDate& today,
                     const std::function<void()>& startBackup);

}  // namespace ambrin
