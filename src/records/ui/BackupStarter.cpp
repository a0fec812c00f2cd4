#include "records/ui/BackupStarter.h"

#include <QEventLoop>
#include <QTimer>

#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "records/AutoBackupCheck.h"
#include "records/ui/ProgressDialog.h"

namespace ambrin {

namespace {

std::unique_ptr<BackupTask> start(const AppContext& context, const std::string& backupFolder,
                                  const std::string& dateName, bool restore) {
    auto progress = std::make_shared<DialogBackupProgress>();
    auto task = std::make_unique<BackupTask>(progress);
    progress->attach(task->flags());
    BackupPlaces places = backupPlaces(context);
    if (restore) {
        places.backupFolder = withSlash(backupFolder);
        // The records are the backup's now: an open record list reads them again (event 33),
        // also when the progress dialog was closed before the work ended.
        task->setWhenEnded([events = context.events](BackupResult result) {
            if (result == BackupResult::Done && events != nullptr) {
                events->postEvent(std::make_unique<EngineEvent>(EventCode::RecordingSaved));
            }
        });
    }
    const bool started = restore ? task->startRestore(places, dateName) : task->startBackup(places);
    if (started) {
        BackupFlags& flags = task->flags();
        waitWithEvents([&flags] { return !flags.busy.load(std::memory_order_acquire); });
    }
    return task;
}

}  // namespace

void waitWithEvents(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(10);
    if (!done()) {
        loop.exec();
    }
}

std::unique_ptr<BackupTask> StartBackup(const AppContext& context) {
    return start(context, {}, {}, false);
}

std::unique_ptr<BackupTask> StartRestore(const AppContext& context, const std::string& backupFolder,
                                         const std::string& dateName) {
    return start(context, backupFolder, dateName, true);
}

void StartupBackupWithWindows(const AppContext& context) {
    AutoBackupCheck(context, currentUtcDate(), [&context] {
        std::unique_ptr<BackupTask> task = StartBackup(context);
        // The main thread waits for the backup thread; a message it asks for meanwhile is shown.
        waitWithEvents([&task] { return task->ended(); });
    });
}

}  // namespace ambrin
