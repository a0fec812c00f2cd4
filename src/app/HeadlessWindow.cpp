#include "app/HeadlessWindow.h"

#include "app/EngineController.h"
#include "app/MenuCommands.h"
#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/SettingsStore.h"

namespace ambrin {

namespace {

std::mutex g_consoleMutex;  // keeps lines whole when threads print at once

}  // namespace

void consoleLine(const std::string& line) {
    std::lock_guard lock(g_consoleMutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

HeadlessWindow::~HeadlessWindow() {
    m_endpoint.close();
}

bool HeadlessWindow::start() {
    m_endpoint.open(
        kMainWindowClass, kMainWindowTitle,
        [this](const WindowMessage& message) { return onMessage(message); }, "main window");
    if (m_context.registry != nullptr) {
        m_context.registry->registerObject("MainWindow", std::make_shared<MainWindowObject>(this));
    }
    return true;
}

void HeadlessWindow::post(EventCode code, int parameter) {
    if (m_context.events != nullptr) {
        m_context.events->postEvent(std::make_unique<EngineEvent>(code, parameter));
    }
}

std::int64_t HeadlessWindow::onMessage(const WindowMessage& message) {
    switch (message.message) {
        case kWmCommand:
            onMenuCommand(static_cast<int>(message.wParam & 0xFFFF), message.lParam);
            return 1;
        case kWmShowNormal:
            consoleLine("ambrin: asked to show the main window");
            return 1;
        default:
            return 0;
    }
}

void HeadlessWindow::onMenuCommand(int id, std::int64_t lParam) {
    const MenuCommandRoute route = routeMenuCommand(id, lParam);
    if (route.recordMode >= 0 && m_context.settings != nullptr) {
        m_context.settings->writeInt(setting::kRecordMode, route.recordMode);
    }
    if (route.event) {
        post(*route.event);
    } else if (!route.action.empty()) {
        onAction(route.action);
    }
}

void HeadlessWindow::onAction(std::string_view name) {
    if (name == "Play") {
        if (!m_context.currentFile().empty()) {
            post(EventCode::Play);
        } else {
            consoleLine("ambrin: nothing to play");
        }
    } else if (name == "Pause") {
        post(EventCode::Pause);
    } else if (name == "Stop") {
        post(EventCode::Stop);
    } else if (name == "Record") {
        post(EventCode::Record);
    } else if (name == "Options") {
        post(EventCode::OpenWindow, 2);
    } else if (name == "RecordList") {
        post(EventCode::OpenWindow, 0);
    } else if (name == "Quit") {
        post(EventCode::QuitAsk);
    } else if (name == "Help") {
        openManual();
    }
}

void HeadlessWindow::onEvent(const EngineEvent& event) {
    consoleLine("ambrin: event " + event.describe());
    if (event.code() == EventCode::CloseWindows) {
        if (m_context.registry != nullptr) {
            m_context.registry->unregisterObject("MainWindow");
        }
        m_endpoint.close();
        post(EventCode::Acknowledge);
    }
}

void HeadlessWindow::performAction(std::string_view action) {
    consoleLine("ambrin: main window action " + std::string(action));
}

void HeadlessWindow::onMixerChange() {
    consoleLine("ambrin: mixer changed");
}

void HeadlessWindow::openManual() {
    consoleLine("ambrin: the manual is " + m_context.programFolder + "ambrin.pdf");
}

HeadlessTray::~HeadlessTray() {
    m_endpoint.close();
}

bool HeadlessTray::start() {
    return m_endpoint.open(
        kTrayWindowClass, kTrayWindowTitle,
        [this](const WindowMessage& message) { return onMessage(message); }, "tray");
}

std::int64_t HeadlessTray::onMessage(const WindowMessage& message) {
    if (message.message != kWmTrayNotify) {
        return 0;
    }
    if (message.lParam == kWmLButtonDblClk) {
        const bool password = m_context.settings != nullptr &&
                              m_context.settings->boolOr(setting::kUsePassword, false);
        consoleLine(password ? "ambrin: woken up; the password would be asked before showing"
                             : "ambrin: woken up; showing the main window");
    }
    return 1;
}

void HeadlessTray::onEvent(const EngineEvent& event) {
    if (event.code() == EventCode::CloseWindows) {
        m_endpoint.close();
        if (m_context.events != nullptr) {
            m_context.events->postEvent(std::make_unique<EngineEvent>(EventCode::Acknowledge));
        }
    }
}

}  // namespace ambrin
