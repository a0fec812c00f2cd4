// The progress dialog and StartBackup through their widgets (offscreen): the starter waits
// on its event loop until the dialog is closed; the button stops unfinished work; Escape
// closes only the dialog and the work goes on.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "records/BackupFiles.h"
#include "records/RecordsFixture.h"
#include "records/ui/BackupStarter.h"
#include "records/ui/ProgressDialog.h"
#include "support/GuiApplication.h"

namespace ambrin {
namespace {

class ProgressDialogTest : public test::RecordsFixture {
  protected:
    ProgressDialogTest() { test::ensureGuiApplication(); }

    static ProgressDialog* shownDialog() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<ProgressDialog*>(widget);
                dialog && dialog->isVisible()) {
                return dialog;
            }
        }
        return nullptr;
    }

    static QString label(ProgressDialog* dialog) {
        return dialog->findChild<QLabel*>("text")->text();
    }
};

TEST_F(ProgressDialogTest, ButtonStopsUnfinishedWorkAndEscapeOnlyClosesTheDialog) {
    BackupFlags flags;
    flags.busy = true;
    auto* dialog = new ProgressDialog(BackupMode::Restore, flags);
    dialog->show();
    EXPECT_EQ(label(dialog).toStdString(), loadString(str::kRestoreInProgress));
    dialog->findChild<QPushButton*>("button")->click();
    EXPECT_TRUE(flags.stop);
    EXPECT_FALSE(flags.busy);

    BackupFlags escapedFlags;
    escapedFlags.busy = true;
    QPointer<ProgressDialog> escaped = new ProgressDialog(BackupMode::Backup, escapedFlags);
    escaped->show();
    QTest::keyClick(escaped, Qt::Key_Escape);
    EXPECT_FALSE(escapedFlags.stop);
    EXPECT_FALSE(escapedFlags.busy);
    EXPECT_TRUE(test::processEventsUntil([&] { return escaped.isNull(); }));

    BackupFlags finishedFlags;
    finishedFlags.busy = true;
    auto* finished = new ProgressDialog(BackupMode::Backup, finishedFlags);
    finished->show();
    finishedFlags.stop = true;  // as the worker does when it has finished
    finished->finish();
    EXPECT_EQ(label(finished).toStdString(), loadString(str::kBackupCompleted));
    auto* ok = finished->findChild<QPushButton*>("button");
    EXPECT_EQ(ok->text().toStdString(), loadString(str::kButtonOk));
    ok->click();
    EXPECT_TRUE(finishedFlags.stop);
    EXPECT_FALSE(finishedFlags.busy);
}

TEST_F(ProgressDialogTest, StartBackupWaitsForTheDialogThenTheBackupIsThere) {
    writeWav(recording("call.wav"), 1);
    bool sawFinished = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        ProgressDialog* dialog = shownDialog();
        if (dialog && label(dialog).toStdString() == loadString(str::kBackupCompleted)) {
            sawFinished = dialog->findChild<QProgressBar*>("progress")->value() ==
                          dialog->findChild<QProgressBar*>("progress")->maximum();
            dialog->findChild<QPushButton*>("button")->click();
        }
    });
    watcher.start(20);
    std::unique_ptr<BackupTask> task = StartBackup(context);
    watcher.stop();
    ASSERT_TRUE(task);
    EXPECT_TRUE(sawFinished);
    waitWithEvents([&] { return task->ended(); });
    EXPECT_EQ(task->result(), BackupResult::Done);
    const auto backups = listBackups(env.path("opt/DBBackup"));
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].fileName, currentUtcDate().name() + ".odk");
}

}  // namespace
}  // namespace ambrin
