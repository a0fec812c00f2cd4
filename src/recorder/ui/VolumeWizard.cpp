#include "recorder/ui/VolumeWizard.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <atomic>
#include <future>
#include <mutex>

#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/SettingsStore.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/StringTable.h"
#include "ui_VolumeWizard.h"

namespace ambrin {

VolumeWizard::VolumeWizard(AppContext& context, int volume, LevelSource level, QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_level(std::move(level)),
      m_ui(std::make_unique<Ui::VolumeWizard>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    showVolume(volume);
    connect(m_ui->sliderVolume, &QSlider::valueChanged, this, &VolumeWizard::volumeMoved);
    connect(m_ui->buttonDetail, &QPushButton::clicked, this, &VolumeWizard::openDetail);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_redraw.setInterval(kRedrawMilliseconds);
    connect(&m_redraw, &QTimer::timeout, this,
            [this] { m_ui->waveform->draw(m_level ? m_level() : LevelBlock::Snapshot{}); });
    m_redraw.start();
    m_ui->waveform->draw(m_level ? m_level() : LevelBlock::Snapshot{});

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + area.width() / 2 - width() / 2,
             area.y() + area.height() / 2 - height() / 2);
    }
}

VolumeWizard::~VolumeWizard() = default;

void VolumeWizard::showVolume(int volume) {
    const QSignalBlocker blocker(m_ui->sliderVolume);
    m_ui->sliderVolume->setEnabled(volume >= 0);
    m_ui->sliderVolume->setValue(std::max(volume, 0));
    m_ui->labelPercent->setText(QString::asprintf("%d%%", volume));
}

void VolumeWizard::refresh(int volume) {
    showVolume(volume);
}

void VolumeWizard::volumeMoved(int percent) {
    m_ui->labelPercent->setText(QString::asprintf("%d%%", percent));
    if (m_context.events != nullptr) {
        m_context.events->postEvent(
            std::make_unique<EngineEvent>(EventCode::SetRecordVolume, percent));
    }
}

void VolumeWizard::openDetail() {
    if (!openRecordingControls()) {
        showStringMessage(str::kRecordingControlsMissing, kMbIconWarning, false);
    }
}

void runVolumeWizard(AppContext& context, const std::function<int()>& readVolume,
                     VolumeWizard::LevelSource level) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return;
    }
    const int volume = readVolume ? readVolume() : -1;
    if (context.settings != nullptr) {
        context.settings->writeBool(setting::kAutoVolume, true);
    }
    auto closed = std::make_shared<std::promise<void>>();
    std::future<void> done = closed->get_future();
    QMetaObject::invokeMethod(
        app,
        [&context, volume, level = std::move(level), closed] {
            auto* wizard = new VolumeWizard(context, volume, level);
            wizard->setAttribute(Qt::WA_DeleteOnClose);
            // At quit the dialog finishes twice (rejected, then closed with the other windows);
            // the waiting thread is told once.
            auto told = std::make_shared<std::once_flag>();
            QObject::connect(wizard, &QDialog::finished, wizard, [closed, told] {
                std::call_once(*told, [&closed] { closed->set_value(); });
            });
            QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, wizard,
                             &QDialog::reject);
            wizard->show();
            wizard->raise();
            wizard->activateWindow();
        },
        Qt::QueuedConnection);
    // The queued call does not run once the event loop has ended; the wait ends then too.
    auto quitting = std::make_shared<std::atomic<bool>>(false);
    const auto connection = QObject::connect(
        app, &QCoreApplication::aboutToQuit, app, [quitting] { quitting->store(true); },
        Qt::DirectConnection);
    while (done.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready &&
           !quitting->load()) {
    }
    QObject::disconnect(connection);
}

}  // namespace ambrin
