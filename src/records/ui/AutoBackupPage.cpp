#include "records/ui/AutoBackupPage.h"

#include <QFileDialog>
#include <QListWidgetItem>

#include "core/AppContext.h"
#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "records/BackupFiles.h"
#include "records/BackupTask.h"
#include "records/ui/BackupStarter.h"
#include "ui_AutoBackupPage.h"

namespace ambrin {

namespace {

constexpr int kFileNameRole = Qt::UserRole;
constexpr int kDateRole = Qt::UserRole + 1;
constexpr int kIntervalCount = 5;  // "Stop", "1 Week" .. "4 Week"

}  // namespace

AutoBackupPage::AutoBackupPage(OptionsPageHost& host, QWidget* parent)
    : OptionsPage(host, parent), m_ui(std::make_unique<Ui::AutoBackupPage>()) {
    m_ui->setupUi(this);
    const std::string& folder = edited().dbBackupPath;
    m_ui->folder->setText(QString::fromStdString(folder));
    fillList(folder);
    m_ui->backups->setFocus();
    for (int i = 0; i < kIntervalCount; ++i) {
        m_ui->interval->addItem(QString::fromStdString(loadString(str::kBackupIntervalStop + i)));
    }
    const int index = edited().autoBackupIndex;
    m_ui->interval->setCurrentIndex(index >= 0 && index < kIntervalCount ? index : 0);
    m_ui->explanation->setText(
        QString::fromStdString(loadString(str::kBackupHintStop + m_ui->interval->currentIndex())));

    connect(m_ui->path, &QPushButton::clicked, this, &AutoBackupPage::choosePath);
    connect(m_ui->backups, &QListWidget::itemSelectionChanged, this,
            &AutoBackupPage::showInformation);
    connect(m_ui->interval, &QComboBox::activated, this, &AutoBackupPage::intervalChosen);
    connect(m_ui->backup, &QPushButton::clicked, this, &AutoBackupPage::backup);
    connect(m_ui->restore, &QPushButton::clicked, this, &AutoBackupPage::restore);
    connect(m_ui->remove, &QPushButton::clicked, this, &AutoBackupPage::remove);
}

AutoBackupPage::~AutoBackupPage() {
    finishEarlierWork();
}

void AutoBackupPage::fillList(const std::string& folder) {
    m_ui->backups->clear();
    m_ui->information->clear();
    const auto backups = listBackups(folder);
    m_ui->restore->setEnabled(!backups.empty());
    m_ui->remove->setEnabled(!backups.empty());
    if (backups.empty()) {
        return;
    }
    for (const BackupEntry& entry : backups) {
        auto* item = new QListWidgetItem(QString::fromStdString(entry.displayName));
        item->setData(kFileNameRole, QString::fromStdString(entry.fileName));
        item->setData(kDateRole, QString::fromStdString(entry.date));
        m_ui->backups->addItem(item);
    }
    m_ui->backups->setCurrentRow(0);
    showInformation();
}

void AutoBackupPage::showInformation() {
    const QList<QListWidgetItem*> selected = m_ui->backups->selectedItems();
    m_ui->restore->setEnabled(!selected.isEmpty());
    if (selected.isEmpty()) {
        m_ui->information->clear();
        return;
    }
    const QListWidgetItem* item = selected.front();
    m_ui->information->setPlainText(QString::fromStdString(loadString(str::kBackupInfoFileName)) +
                                    item->data(kFileNameRole).toString() + "\n\n" +
                                    QString::fromStdString(loadString(str::kBackupInfoDate)) +
                                    item->data(kDateRole).toString());
}

void AutoBackupPage::choosePath() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, m_ui->path->text(), m_ui->folder->text(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return;
    }
    edited().dbBackupPath = chosen.toStdString();
    m_ui->folder->setText(chosen);
    fillList(edited().dbBackupPath);
    host().valuesChanged();
}

void AutoBackupPage::intervalChosen(int index) {
    edited().autoBackupIndex = index;
    m_ui->explanation->setText(QString::fromStdString(loadString(str::kBackupHintStop + index)));
    host().valuesChanged();
}

void AutoBackupPage::backup() {
    if (showStringMessage(str::kBackupQuestion, kMbYesNo | kMbIconQuestion) != kIdYes) {
        return;
    }
    finishEarlierWork();
    // The backup goes where the saved settings say; the page waits for its dialog.
    m_task = StartBackup(host().context());
    fillList(host().savedValues().dbBackupPath);
}

void AutoBackupPage::restore() {
    const std::string dateName = selectedDateName();
    if (dateName.empty() ||
        showStringMessage(str::kRestoreQuestion, kMbYesNo | kMbIconQuestion, true) != kIdYes) {
        return;
    }
    finishEarlierWork();
    m_task = StartRestore(host().context(), m_ui->folder->text().toStdString(), dateName);
}

void AutoBackupPage::remove() {
    const std::string dateName = selectedDateName();
    if (dateName.empty() ||
        showStringMessage(str::kBackupDeleteQuestion, kMbYesNo | kMbIconQuestion, true) != kIdYes) {
        return;
    }
    const std::string folder = m_ui->folder->text().toStdString();
    deleteBackup(folder, dateName);
    fillList(folder);
}

std::string AutoBackupPage::selectedDateName() const {
    const QList<QListWidgetItem*> selected = m_ui->backups->selectedItems();
    if (selected.isEmpty()) {
        return {};
    }
    return backupDateName(selected.front()->data(kFileNameRole).toString().toStdString());
}

void AutoBackupPage::finishEarlierWork() {
    if (m_task) {
        waitWithEvents([this] { return m_task->ended(); });
        m_task.reset();
    }
}

}  // namespace ambrin
