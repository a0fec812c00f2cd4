#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

#include "records/BackupProgress.h"

namespace Ui {
class ProgressDialog;
}

namespace ambrin {

// The progress of a backup or restore. Its texts come from the string table: "Data is backed
// up. Please wait." or "Data is restored. Please wait." with Cancel while the work runs, the
// completion text with OK when it has finished. The button stops unfinished work; either way
// it clears the busy flag and closes the dialog. Escape clears both flags and closes the
// dialog: the work goes on without it. Lives on the GUI thread.
class ProgressDialog : public QDialog {
    Q_OBJECT

  public:
    ProgressDialog(BackupMode mode, BackupFlags& flags, QWidget* parent = nullptr);
    ~ProgressDialog() override;

    void setRange(int count);
    void setPosition(int position);
    void finish();

  protected:
    void reject() override;  // Escape and the window's close button

  private:
    void buttonClicked();

    std::unique_ptr<Ui::ProgressDialog> m_ui;
    BackupMode m_mode;
    BackupFlags& m_flags;
    bool m_finished = false;
};

// A worker's progress shown in a ProgressDialog: the worker's calls travel to the GUI thread
// as queued calls, so the worker never waits for the window. Made and deleted on the GUI
// thread; the dialog is made when the worker opens it.
class DialogBackupProgress : public QObject, public BackupProgress {
    Q_OBJECT

  public:
    DialogBackupProgress() = default;
    ~DialogBackupProgress() override;

    // The flags of the task this progress belongs to; before the task starts.
    void attach(BackupFlags& flags) { m_flags = &flags; }

    void open(BackupMode mode) override;
    void setRange(int count) override;
    void setPosition(int position) override;
    void finish() override;
    void close() override;

    ProgressDialog* dialog() const { return m_dialog; }

  private:
    BackupFlags* m_flags = nullptr;
    QPointer<ProgressDialog> m_dialog;  // deletes itself when closed
};

}  // namespace ambrin
