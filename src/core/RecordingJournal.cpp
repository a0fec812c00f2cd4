#include "core/RecordingJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/Folders.h"

namespace ambrin {

namespace {

constexpr const char* kJournalName = "Ambrin.od2.recording";

}  // namespace

std::string recordingJournalPath(const AppContext& context) {
    std::string folder =
        context.settings != nullptr
            ? context.settings->stringOr(setting::kInstallPath, context.programFolder)
            : context.programFolder;
    return writableFolderFor(folder) + kJournalName;
}

bool writeRecordingJournal(const AppContext& context, const JournaledRecording& recording) {
    const std::string path = recordingJournalPath(context);
    const std::string temporary = path + ".tmp";
    const std::string content = recording.path + "\n" + recording.startKey + "\n";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written =
        ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
        ::fsync(fd) == 0;
    ::close(fd);
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void clearRecordingJournal(const AppContext& context) {
    ::unlink(recordingJournalPath(context).c_str());
}

std::optional<JournaledRecording> readRecordingJournal(const AppContext& context) {
    std::ifstream in(recordingJournalPath(context));
    JournaledRecording recording;
    if (!in || !std::getline(in, recording.path) || recording.path.empty()) {
        return std::nullopt;
    }
    std::getline(in, recording.startKey);
    return recording;
}

}  // namespace ambrin
