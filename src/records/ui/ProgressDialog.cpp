#include "records/ui/ProgressDialog.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "ui_ProgressDialog.h"

namespace ambrin {

ProgressDialog::ProgressDialog(BackupMode mode, BackupFlags& flags, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ProgressDialog>()), m_mode(mode), m_flags(flags) {
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    m_ui->text->setText(QString::fromStdString(
        loadString(mode == BackupMode::Backup ? str::kBackupInProgress : str::kRestoreInProgress)));
    m_ui->button->setText(QString::fromStdString(loadString(str::kButtonCancel)));
    m_ui->progress->setRange(0, 0);
    connect(m_ui->button, &QPushButton::clicked, this, &ProgressDialog::buttonClicked);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::setRange(int count) {
    m_ui->progress->setRange(0, count);
    m_ui->progress->setValue(0);
}

void ProgressDialog::setPosition(int position) {
    m_ui->progress->setValue(position);
}

void ProgressDialog::finish() {
    m_finished = true;
    m_ui->progress->setValue(m_ui->progress->maximum());
    m_ui->text->setText(QString::fromStdString(
        loadString(m_mode == BackupMode::Backup ? str::kBackupCompleted : str::kRestoreCompleted)));
    m_ui->button->setText(QString::fromStdString(loadString(str::kButtonOk)));
}

void ProgressDialog::buttonClicked() {
    if (!m_finished) {
        m_flags.stop.store(true, std::memory_order_release);
    }
    m_flags.busy.store(false, std::memory_order_release);
    QDialog::reject();
}

void ProgressDialog::reject() {
    // Escape: the dialog goes, the work goes on without it.
    m_flags.stop.store(false, std::memory_order_release);
    m_flags.busy.store(false, std::memory_order_release);
    QDialog::reject();
}

DialogBackupProgress::~DialogBackupProgress() {
    delete m_dialog.data();
}

void DialogBackupProgress::open(BackupMode mode) {
    QMetaObject::invokeMethod(
        this,
        [this, mode] {
            delete m_dialog.data();
            m_dialog = new ProgressDialog(mode, *m_flags);
            m_dialog->show();
            m_dialog->raise();
            m_dialog->activateWindow();
        },
        Qt::QueuedConnection);
}

void DialogBackupProgress::setRange(int count) {
    QMetaObject::invokeMethod(
        this,
        [this, count] {
            if (m_dialog) {
                m_dialog->setRange(count);
            }
        },
        Qt::QueuedConnection);
}

void DialogBackupProgress::setPosition(int position) {
    QMetaObject::invokeMethod(
        this,
        [this, position] {
            if (m_dialog) {
                m_dialog->setPosition(position);
            }
        },
        Qt::QueuedConnection);
}

void DialogBackupProgress::finish() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_dialog) {
                m_dialog->finish();
            }
        },
        Qt::QueuedConnection);
}

void DialogBackupProgress::close() {
    // A failure: the dialog goes quietly; the worker clears the busy flag once it has told why.
    QMetaObject::invokeMethod(
        this, [this] { delete m_dialog.data(); }, Qt::QueuedConnection);
}

}  // namespace ambrin
