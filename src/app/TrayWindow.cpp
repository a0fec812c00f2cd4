#include "app/TrayWindow.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/HeadlessWindow.h"
#include "app/MenuCommands.h"
#include "app/PasswordDialog.h"
#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/SettingsStore.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"

namespace ambrin {

namespace {

constexpr const char* kTip = "Ambrin+";
constexpr const char* kMainWindowName = "MainWindow";

}  // namespace

TrayWindow::TrayWindow(AppContext& context) : m_context(context) {}

TrayWindow::~TrayWindow() {
    m_endpoint.close();
    delete m_passwordDialog.data();
    if (m_icon) {
        m_icon->hide();
    }
}

bool TrayWindow::start() {
    const bool published = m_endpoint.open(
        kTrayWindowClass, kTrayWindowTitle,
        [this](const WindowMessage& message) { return onMessage(message); }, "tray");
    m_icon = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/icons/ambrin.svg")));
    m_icon->setToolTip(QString::fromLatin1(kTip));
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick) {
                             wakeUp();
                         } else if (reason == QSystemTrayIcon::Context) {
                             showMenu(QCursor::pos());
                         }
                     });
    refreshIcon();
    // The controller hides the main window right after the windows start when the program
    // is to start hidden.
    if (m_context.settings != nullptr &&
        (m_context.settings->boolOr(setting::kUsePassword, false) ||
         m_context.settings->boolOr(setting::kMinimizeRun, false))) {
        QMetaObject::invokeMethod(
            this, [this] { mainWindowHidden(); }, Qt::QueuedConnection);
    }
    return published;
}

bool TrayWindow::iconWanted() const {
    return m_context.settings != nullptr &&
           (m_context.settings->boolOr(setting::kToTray, false) ||
            m_context.settings->boolOr(setting::kUsePassword, false));
}

bool TrayWindow::iconShown() const {
    return m_icon && m_icon->isVisible();
}
PasswordDialog* TrayWindow::passwordDialog() const {
    return m_passwordDialog.data();
}

void TrayWindow::refreshIcon() {
    if (!m_icon) {
        return;
    }
    m_icon->setVisible(iconWanted());
}

void TrayWindow::mainWindowHidden() {
    if (m_hiddenNoticeShown || QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    m_hiddenNoticeShown = true;
    showStringMessage(
        str::kNoNotificationArea, kMbIconInformation,
        m_context.registry != nullptr && m_context.registry->contains(kMainWindowName));
}

std::int64_t TrayWindow::onMessage(const WindowMessage& message) {
    if (message.message != kWmTrayNotify) {
        return 0;
    }
    if (message.lParam == kWmLButtonDblClk) {
        QMetaObject::invokeMethod(
            this, [this] { wakeUp(); }, Qt::QueuedConnection);
    } else if (message.lParam == kWmRButtonUp) {
        QMetaObject::invokeMethod(
            this, [this] { showMenu(QCursor::pos()); }, Qt::QueuedConnection);
    }
    return 1;
}

void TrayWindow::wakeUp() {
    if (m_promptOpen) {
        return;
    }
    if (m_context.settings == nullptr ||
        !m_context.settings->boolOr(setting::kUsePassword, false)) {
        restoreMainWindow();
        return;
    }
    m_promptOpen = true;
    auto* dialog = new PasswordDialog(m_context.settings);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_passwordDialog = dialog;
    QObject::connect(dialog, &QDialog::finished, this, [this] { passwordFinished(); });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TrayWindow::passwordFinished() {
    const bool matched = m_passwordDialog && m_passwordDialog->matched();
    const bool okPressed = m_passwordDialog && m_passwordDialog->okPressed();
    m_passwordDialog = nullptr;
    if (!matched) {
        if (okPressed) {
            showStringMessage(str::kInvalidPassword, kMbIconWarning, false);
        }
        m_promptOpen = false;
        return;
    }
    m_promptOpen = false;
    restoreMainWindow();
}

void TrayWindow::restoreMainWindow() {
    if (m_context.registry == nullptr) {
        return;
    }
    if (auto window = m_context.registry->find<MainWindowObject>(kMainWindowName)) {
        window->window->performAction("Restore");
    }
}

QMenu* TrayWindow::showMenu(const QPoint& where) {
    if (m_context.settings == nullptr || m_context.settings->boolOr(setting::kUsePassword, false)) {
        return nullptr;
    }
    const int recordMode = m_context.settings->intOr(setting::kRecordMode, 0);
    QMenu* menu =
        createCommandMenu(trayMenuStates(mirror(), !m_context.currentFile().empty()), recordMode);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(menu, &QMenu::triggered, this,
                     [this](QAction* action) { commandChosen(action->data().toInt()); });
    menu->popup(where);
    menu->activateWindow();
    return menu;
}

void TrayWindow::post(EventCode code, int parameter) {
    if (m_context.events != nullptr) {
        m_context.events->postEvent(std::make_unique<EngineEvent>(code, parameter));
    }
}

void TrayWindow::commandChosen(int id) {
    switch (id) {
        case cmd::kExit:
            post(EventCode::QuitAsk);
            break;
        case cmd::kHelp:
            post(EventCode::Help);
            break;
        case cmd::kRecord:
            post(EventCode::Record);
            break;
        case cmd::kPlay:
            post(EventCode::Play);
            break;
        case cmd::kPause:
            post(EventCode::Pause);
            break;
        case cmd::kStop:
            post(EventCode::Stop);
            break;
        case cmd::kOptions:
            post(EventCode::OpenWindow, 2);
            break;
        case cmd::kRecordList:
            post(EventCode::OpenWindow, 0);
            break;
        case cmd::kAutomatic:
        case cmd::kManual:
            if (m_context.settings != nullptr) {
                m_context.settings->writeInt(setting::kRecordMode, id == cmd::kManual ? 1 : 0);
            }
            post(EventCode::SettingsChanged);
            break;
        case cmd::kVolumeWizard:
            post(EventCode::VolumeWizard);
            break;
        default:
            break;
    }
}

void TrayWindow::onEvent(const EngineEvent& event) {
    switch (event.code()) {
        case EventCode::CloseWindows:
            m_endpoint.close();
            QMetaObject::invokeMethod(
                this,
                [this] {
                    delete m_passwordDialog.data();
                    if (m_icon) {
                        m_icon->hide();
                    }
                },
                Qt::QueuedConnection);
            post(EventCode::Acknowledge);
            break;
        case EventCode::StateIdle:
            m_mirror.store(TrayMirror::Idle, std::memory_order_release);
            break;
        case EventCode::StatePaused:
            m_mirror.store(TrayMirror::Paused, std::memory_order_release);
            break;
        case EventCode::StatePlaying:
            m_mirror.store(TrayMirror::Playing, std::memory_order_release);
            break;
        case EventCode::StateRecording:
            m_mirror.store(TrayMirror::Recording, std::memory_order_release);
            break;
        case EventCode::SettingsChanged:
            QMetaObject::invokeMethod(
                this, [this] { refreshIcon(); }, Qt::QueuedConnection);
            break;
        case EventCode::WarningText:
            // A warning the user should see although the window is hidden (the line's health).
            if (const auto* warning = dynamic_cast<const TextEvent*>(&event)) {
                QMetaObject::invokeMethod(
                    this,
                    [this, text = QString::fromStdString(warning->text)] {
                        if (iconShown()) {
                            m_icon->showMessage(QString::fromLatin1(kTip), text,
                                                QSystemTrayIcon::Warning);
                        }
                    },
                    Qt::QueuedConnection);
            }
            break;
        default:
            break;
    }
}

}  // namespace ambrin
