#pragma once

#include <memory>
#include <string>

#include "records/ui/OptionsPage.h"

namespace Ui {
class AutoBackupPage;
}

namespace ambrin {

class BackupTask;

// The "Auto Backup" page: the backup folder, the backups found in it with Restore and
// Delete, the interval of the start-up offer, and a backup made at once. The folder and the
// interval are edited values; the backups themselves are made, restored and deleted at once.
// GUI thread only.
class AutoBackupPage : public OptionsPage {
    Q_OBJECT

  public:
    AutoBackupPage(OptionsPageHost& host, QWidget* parent);
    ~AutoBackupPage() override;  // waits (with the windows alive) for a backup still running

  private:
    // The list from the backups in `folder`.
    void fillList(const std::string& folder);
    void showInformation();
    void choosePath();
    void intervalChosen(int index);
    void backup();
    void restore();
    void remove();
    // The date name of the selected backup; empty without a selection.
    std::string selectedDateName() const;
    // A backup or restore that runs on after its dialog was closed with Escape ends first.
    void finishEarlierWork();

    std::unique_ptr<Ui::AutoBackupPage> m_ui;
    std::unique_ptr<BackupTask> m_task;
};

}  // namespace ambrin
