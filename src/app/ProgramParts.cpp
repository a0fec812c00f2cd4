#include "app/ProgramParts.h"

#include <cstdio>

#include "app/HeadlessWindow.h"
#include "app/Housekeeping.h"
#include "core/RecordingJournal.h"
#include "platform/StringTable.h"
#include "recorder/CallerIdReceiver.h"
#include "recorder/InputMixer.h"
#include "recorder/Player.h"
#include "recorder/Recorder.h"
#include "records/AutoBackupCheck.h"
#include "records/CallStorage.h"
#include "records/ConsoleBackupProgress.h"
#include "records/InterruptedRecording.h"
#include "records/RecordDatabase.h"
#include "records/RecordSearchIndex.h"

namespace ambrin {

EngineParts programParts() {
    EngineParts parts;
    parts.makeMainWindow = [](AppContext& context) {
        return std::make_unique<HeadlessWindow>(context);
    };
    parts.makeTrayWindow = [](AppContext& context) {
        return std::make_unique<HeadlessTray>(context);
    };
    parts.makeRecorder = [](AppContext& context) {
        auto recorder = std::make_unique<Recorder>(context);
        recorder->setCaptureTap(std::make_unique<CallerIdReceiver>(context));
        return recorder;
    };
    parts.storeRecording = [](AppContext& context, const std::string& path) {
        const bool stored = StoreRecording(context, path);
        // Stored, discarded as too short, or kept for later in the unsaved-call journal:
        // either way the recording is no longer only in progress.
        clearRecordingJournal(context);
        return stored;
    };
    parts.storeUnsavedCalls = [](AppContext& context) { return recoverUnsavedCalls(context); };
    parts.makePlayer = [](AppContext& context) { return std::make_unique<Player>(context); };
    parts.applyRetention = applyRetentionRules;
    parts.lineActivity = readLineActivity;
    parts.makeMixer = [](AppContext& context, MainWindowInterface* window) {
        return std::make_unique<InputMixer>(context, window);
    };
    return parts;
}

Application::Hooks programHooks() {
    Application::Hooks hooks;
    // Without windows the question takes its default answer and the progress is printed.
    hooks.startupBackup = [](AppContext& context) {
        AutoBackupCheck(context, currentUtcDate(), [&context] { StartBackupOnConsole(context); });
    };
    hooks.openDatabase = [](AppContext& context) {
        DatabaseStatus status = DatabaseStatus::Ready;
        if (!InitializeDatabase(context, status)) {
            if (status == DatabaseStatus::Damaged) {
                return exit_code::kDatabaseDamaged;  // the warning has named the file
            }
            std::fprintf(stderr, "ambrin: the call-record database cannot be opened or created\n");
            return exit_code::kDatabaseUnavailable;
        }
        // The search index: checked, and set up empty when it is missing or damaged (its
        // filling is the background work, while the engine records); searches read every
        // record until it is whole.
        RecordSearchIndex(RecordDatabase::databasePath(context)).begin();
        // A call the program was recording when it ended: repaired and stored, announced only.
        const std::string repaired = recoverInterruptedRecording(context);
        if (!repaired.empty()) {
            std::string text = loadString(str::kInterruptedCallRepaired);
            if (const std::size_t at = text.find("%s"); at != std::string::npos) {
                text.replace(at, 2, repaired);
            }
            consoleLine("ambrin: " + text);
        }
        const int recovered = recoverUnsavedCalls(context);
        if (recovered > 0) {
            consoleLine("ambrin: " + std::to_string(recovered) +
                        " call(s) from an earlier run stored");
        }
        return exit_code::kOk;
    };
    hooks.backgroundWork = [](AppContext& context, const std::atomic<bool>& stop) {
        int told = -1;
        RecordSearchIndex(RecordDatabase::databasePath(context))
            .fill(
                [&told](std::int64_t done, std::int64_t total) {
                    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
                    if (percent / 10 != told / 10) {
                        told = percent;
                        consoleLine("ambrin: indexing the call records for search: " +
                                    std::to_string(percent) + "%");
                    }
                },
                &stop);
    };
    return hooks;
}

}  // namespace ambrin
