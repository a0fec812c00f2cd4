#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>
#include <mutex>

#include "app/CommandMenu.h"
#include "app/EndpointSlot.h"
#include "core/EngineEvent.h"
#include "core/EngineParts.h"
#include "platform/WindowEndpoint.h"

class QMenu;
class QSystemTrayIcon;

namespace ambrin {

class PasswordDialog;

// The program's presence in the notification area: the icon with the tip "Ambrin+" while
// "ToTray" or "UsePassword" is set, the double click that brings the hidden main window
// back (through the password prompt when "UsePassword" is set), and the command menu.
// Its "Mirelo_TrayUI" endpoint answers the wake-up (1690 with 515) of a second start for
// the whole run, so the window comes back even on a desktop without a notification area;
// there the user is told once how to bring a hidden window back.
//
// Created, started and destroyed on the GUI thread; onEvent comes from the event thread,
// the endpoint's messages from its listener thread: both only queue work for the GUI
// thread or set the mirror. The tray never waits for the event thread.
class TrayWindow : public QObject, public TrayWindowInterface {
  public:
    explicit TrayWindow(AppContext& context);
    ~TrayWindow() override;

    bool start() override;
    void onEvent(const EngineEvent& event) override;

    // GUI thread. A double click on the icon, or the wake-up of a second start.
    void wakeUp();
    // GUI thread. The right button on the icon: the command menu at `where` (none while a
    // password protects the program). The menu, or null.
    QMenu* showMenu(const QPoint& where);
    // GUI thread. Acts on a command of the tray menu.
    void commandChosen(int id);
    // GUI thread. Adds or removes the icon from the settings.
    void refreshIcon();
    // GUI thread. The main window went out of sight: without a notification area the user
    // is told (once a run) that starting Ambrin+ again brings it back.
    void mainWindowHidden();

    TrayMirror mirror() const { return m_mirror.load(std::memory_order_acquire); }
    bool promptOpen() const { return m_promptOpen; }
    PasswordDialog* passwordDialog() const;
    bool iconShown() const;

  private:
    std::int64_t onMessage(const WindowMessage& message);
    void passwordFinished();
    void restoreMainWindow();
    void post(EventCode code, int parameter = 0);
    bool iconWanted() const;

    AppContext& m_context;
    std::unique_ptr<QSystemTrayIcon> m_icon;  // GUI thread only
    std::atomic<TrayMirror> m_mirror{TrayMirror::Idle};
    bool m_promptOpen = false;  // GUI thread only: further wake-ups do nothing meanwhile
    QPointer<PasswordDialog> m_passwordDialog;
    bool m_hiddenNoticeShown = false;
    EndpointSlot m_endpoint;
};

}  // namespace ambrin
