#pragma once

#include "records/BackupProgress.h"

namespace ambrin {

class AppContext;

// The progress of a backup or restore on standard output, for the program without windows:
// the texts of the progress dialog, and the count every tenth of the way.
class ConsoleBackupProgress : public BackupProgress {
  public:
    void open(BackupMode mode) override;
    void setRange(int count) override;
    void setPosition(int position) override;
    void finish() override;
    void close() override {}

  private:
    BackupMode m_mode = BackupMode::Backup;
    int m_range = 0;
    int m_shownTenth = -1;
};

// StartBackup without windows: the backup runs on its own thread while the caller waits for
// it, its progress printed. Returns when it has ended.
void StartBackupOnConsole(const AppContext& context);

}  // namespace ambrin
