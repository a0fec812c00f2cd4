#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "app/EndpointSlot.h"
#include "core/EngineEvent.h"
#include "core/EngineParts.h"
#include "platform/WindowEndpoint.h"

namespace ambrin {

// Class and title of the main window; other processes find the running program by them.
inline constexpr const char* kMainWindowClass = "Ambrin+";
inline constexpr const char* kMainWindowTitle = "Ambrin+";
// Class and title of the hidden notification window.
inline constexpr const char* kTrayWindowClass = "Mirelo_TrayUI";
inline constexpr const char* kTrayWindowTitle = "Mirelo_TrayUI Hidden Window";

// Writes one line to standard output at once; safe from any thread.
void consoleLine(const std::string& line);

// The main window when there is no screen: it registers as "MainWindow", takes menu
// commands from other processes through the "Ambrin+" endpoint, and prints every
// broadcast as one line.
class HeadlessWindow : public MainWindowInterface {
  public:
    explicit HeadlessWindow(AppContext& context) : m_context(context) {}
    ~HeadlessWindow() override;

    bool start() override;
    void onEvent(const EngineEvent& event) override;
    std::string selectedFile() override { return {}; }
    void performAction(std::string_view action) override;
    void openManual() override;
    void onMixerChange() override;

    // A menu command as the window's menu would handle it. Called on the endpoint thread.
    void onMenuCommand(int id, std::int64_t lParam);
    // A control action ("Record", "Play", "Quit", ...).
    void onAction(std::string_view name);

  private:
    std::int64_t onMessage(const WindowMessage& message);
    void post(EventCode code, int parameter = 0);

    AppContext& m_context;
    EndpointSlot m_endpoint;
};

// The hidden notification window when there is no screen: answers a second start's wake-up.
class HeadlessTray : public TrayWindowInterface {
  public:
    explicit HeadlessTray(AppContext& context) : m_context(context) {}
    ~HeadlessTray() override;

    bool start() override;
    void onEvent(const EngineEvent& event) override;

  private:
    std::int64_t onMessage(const WindowMessage& message);

    AppContext& m_context;
    EndpointSlot m_endpoint;
};

}  // namespace ambrin
