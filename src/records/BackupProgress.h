#pragma once

#include <atomic>

namespace ambrin {

// The two flags one backup or restore shares between its starter, its worker and its progress
// dialog. Each is written by one side and polled by the others; plain flags need no ordering
// with other memory, but acquire/release keeps a cleared `busy` after everything the worker did.
struct BackupFlags {
    // Set by the starter; cleared when the progress dialog is closed, or by the worker when it
    // ends without one (or after it has told a failure).
    std::atomic<bool> busy{false};
    // Set by the dialog when the user stops the work, and by the worker when it has finished.
    std::atomic<bool> stop{false};
};

enum class BackupMode { Backup, Restore };

// Where a worker reports. Called on the worker's thread; an implementation never waits for the
// user (a window forwards to the GUI thread, the console prints).
class BackupProgress {
  public:
    virtual ~BackupProgress() = default;
    // Shows "Data is backed up. Please wait." or "Data is restored. Please wait." with Cancel.
    virtual void open(BackupMode mode) = 0;
    virtual void setRange(int count) = 0;
    virtual void setPosition(int position) = 0;
    // The work is complete: "Data backup has completed." or "To restore the data has been
    // completed", and the button reads OK.
    virtual void finish() = 0;
    // The work failed: the progress goes away without a word (the worker tells why).
    virtual void close() = 0;
};

// How a worker ended.
enum class BackupResult {
    Running,   // not ended yet
    Done,      // complete
    Stopped,   // the user stopped it; nothing was put in place
    Failed,    // told to the user; nothing was put in place
    NoSource,  // no recording folder setting: nothing was done
};

}  // namespace ambrin
