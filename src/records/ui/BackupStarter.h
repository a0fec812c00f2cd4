#pragma once

#include <functional>
#include <memory>
#include <string>

#include "records/BackupTask.h"

namespace ambrin {

class AppContext;

// Runs a local event loop on the GUI thread until `done` holds, looking every 10 ms; the
// windows, the progress dialog and message boxes asked for by workers stay alive meanwhile.
void waitWithEvents(const std::function<bool()>& done);

// Starts a backup of the context's folders with its progress dialog and returns when the
// dialog has been closed. The work may go on after that (Escape closes only the dialog):
// the returned task waits for it when it goes. Called on the GUI thread.
std::unique_ptr<BackupTask> StartBackup(const AppContext& context);

// The same for a restore of the backup `dateName` found in `backupFolder`.
std::unique_ptr<BackupTask> StartRestore(const AppContext& context, const std::string& backupFolder,
                                         const std::string& dateName);

// The start-up backup: the question as a box, then StartBackup, and the wait until the
// backup thread has ended. Called on the GUI thread before the database is opened.
void StartupBackupWithWindows(const AppContext& context);

}  // namespace ambrin
