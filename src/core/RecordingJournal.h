#pragma once

#include <optional>
#include <string>

namespace ambrin {

class AppContext;

// The recording in progress, named in a small file beside the database ("Ambrin.od2.recording"
// in the installation folder) from the moment its file is created until it has been stored.
// When the program dies in between, the next start finds the journal, repairs the file and
// stores it as if the call had ended then (records/InterruptedRecording).
struct JournaledRecording {
    std::string path;      // the recording file
    std::string startKey;  // its start, "%d%02d%02d%02d%02d%02d"
};

std::string recordingJournalPath(const AppContext& context);

// Written atomically (temporary file, fsync, rename). False when it cannot be written; the
// recording goes on all the same. Event thread.
bool writeRecordingJournal(const AppContext& context, const JournaledRecording& recording);
void clearRecordingJournal(const AppContext& context);
std::optional<JournaledRecording> readRecordingJournal(const AppContext& context);

}  // namespace ambrin
