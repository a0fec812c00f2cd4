#include "records/ConsoleBackupProgress.h"

#include <cstdio>
#include <memory>

#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "records/BackupTask.h"

namespace ambrin {

namespace {

void printLine(const std::string& line) {
    std::printf("ambrin: %s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

void ConsoleBackupProgress::open(BackupMode mode) {
    m_mode = mode;
    printLine(
        loadString(mode == BackupMode::Backup ? str::kBackupInProgress : str::kRestoreInProgress));
}

void ConsoleBackupProgress::setRange(int count) {
    m_range = count;
    m_shownTenth = -1;
}

void ConsoleBackupProgress::setPosition(int position) {
    if (m_range <= 0) {
        return;
    }
    const int tenth = static_cast<int>(static_cast<long long>(position) * 10 / m_range);
    if (tenth != m_shownTenth) {
        m_shownTenth = tenth;
        printLine(std::to_string(position) + "/" + std::to_string(m_range));
    }
}

void ConsoleBackupProgress::finish() {
    printLine(
        loadString(m_mode == BackupMode::Backup ? str::kBackupCompleted : str::kRestoreCompleted));
}

void StartBackupOnConsole(const AppContext& context) {
    BackupTask task(std::make_shared<ConsoleBackupProgress>());
    if (task.startBackup(backupPlaces(context))) {
        task.wait();
    }
}

}  // namespace ambrin
