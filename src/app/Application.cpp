#include "app/Application.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "app/EngineController.h"
#include "app/HeadlessWindow.h"
#include "app/MenuCommands.h"
#include "app/StartupTrace.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/DiskSpace.h"
#include "platform/Folders.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/Semaphore.h"
#include "platform/SignalWatcher.h"
#include "platform/StringTable.h"
#include "platform/WindowEndpoint.h"
#include "records/CallContentList.h"
#include "records/OldDatabase.h"

namespace ambrin {

namespace {

constexpr double kMinimumFreeMegabytes = 40.0;
constexpr auto kClaimPatience = std::chrono::seconds(5);

// The one instance per session: the first start holds the lock; a later start wakes the
// window of the one that holds it and ends.
InstanceClaim claimInstance(InstanceLock& lock) {
    const auto deadline = std::chrono::steady_clock::now() + kClaimPatience;
    for (;;) {
        if (lock.tryAcquire()) {
            return InstanceClaim::First;
        }
        if (WindowEndpoint::exists(kMainWindowClass, kMainWindowTitle)) {
            // The hidden tray window always exists while the program runs; a double click on
            // the tray icon asks for the password when one is set, then restores the window.
            if (WindowEndpoint::post(kTrayWindowClass, kTrayWindowTitle,
                                     {kWmTrayNotify, 0, kWmLButtonDblClk})) {
                return InstanceClaim::WokeOther;
            }
            WindowEndpoint::post(kMainWindowClass, kMainWindowTitle, {kWmShowNormal, 0, 0});
            return InstanceClaim::WokeOther;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return InstanceClaim::OtherBusy;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string correctionText(const SettingCorrection& correction) {
    std::string text = loadString(str::kSettingCorrected);
    for (const std::string& part :
         {correction.name, std::to_string(correction.stored), std::to_string(correction.used)}) {
        if (const size_t at = text.find("%s"); at != std::string::npos) {
            text.replace(at, 2, part);
        }
    }
    return text;
}

}  // namespace

bool checkDiskSpace(const SettingsStore& settings, const FreeSpaceProbe& probe) {
    std::string path;
    if (settings.readString(setting::kDatabasePath, path) == kSettingsNotFound) {
        return true;
    }
    const auto bytes = probe(path);
    if (!bytes) {
        return true;
    }
    const double megabytes = static_cast<double>(*bytes) * (1.0 / 1048576.0);
    return megabytes > kMinimumFreeMegabytes;
}

int sendCommandToRunningInstance(std::string_view name) {
    const auto id = menuCommandForName(name);
    if (!id) {
        std::fprintf(stderr,
                     "ambrin: unknown command \"%.*s\" (use record, stop, play, pause, quit, "
                     "options or list)\n",
                     static_cast<int>(name.size()), name.data());
        return exit_code::kNotDelivered;
    }
    // quit comes from the command line like the updater's request: no exit question.
    const std::int64_t lParam = *id == cmd::kExit ? kExitWithoutQuestion : 0;
    const auto reply =
        WindowEndpoint::send(kMainWindowClass, kMainWindowTitle, {kWmCommand, *id, lParam});
    if (!reply) {
        std::fprintf(stderr, "ambrin: Ambrin+ is not running\n");
        return exit_code::kNotDelivered;
    }
    return exit_code::kOk;
}

Application::Application(LaunchOptions options) : m_options(std::move(options)) {}

void Application::trace(const std::string& line) const {
    if (m_options.headless) {
        consoleLine("ambrin: " + line);
    }
}

int Application::run(EngineParts parts, Hooks hooks) {
    SignalWatcher::blockSignals();

    InstanceLock instanceLock;
    switch (claimInstance(instanceLock)) {
        case InstanceClaim::First:
            break;
        case InstanceClaim::WokeOther:
            trace("another instance runs; it was woken up");
            return exit_code::kOk;
        case InstanceClaim::OtherBusy:
            trace("another instance is starting or ending; try again");
            return exit_code::kOtherBusy;
    }

    startupStage("the one instance");
    const std::string folder = programFolder();
    if (CheckOldDatabase(folder)) {
        trace("an older database was found; the converter takes over");
        return exit_code::kOk;
    }

    SetUiLanguage(kLangKorean);

    auto context = std::make_unique<AppContext>();
    context->programFolder = folder;
    auto settings = std::make_unique<SettingsStore>(folder);
    context->settings = settings.get();
    auto exitSemaphore = std::make_shared<Semaphore>(0);

    if (!checkDiskSpace(*settings, hooks.freeSpace ? hooks.freeSpace : freeDiskBytes)) {
        showStringMessage(str::kDiskSpaceLow, kMbIconWarning);
        settings.reset();
        context.reset();
        return exit_code::kDiskSpaceLow;
    }

    if (hooks.startupBackup) {
        hooks.startupBackup(*context);
    }

    if (const int refused = hooks.openDatabase ? hooks.openDatabase(*context) : exit_code::kOk;
        refused != exit_code::kOk) {
        settings.reset();
        context.reset();
        if (hooks.closeDatabase) {
            hooks.closeDatabase();
        }
        return refused;
    }

    startupStage("database opened");
    // The stock call contents live as long as the program: loaded now, saved at the end.
    auto contents = std::make_unique<CallContentList>(*context);
    contents->LoadContents();
    context->callContents = contents.get();

    auto controller = std::make_unique<EngineController>(*context, std::move(parts));
    controller->setExitSemaphore(exitSemaphore);
    controller->start();
    startupStage("engine started");
    std::atomic<bool> stopBackground{false};
    std::thread background;
    if (hooks.backgroundWork) {
        background = std::thread([&hooks, &context, &stopBackground] {
            hooks.backgroundWork(*context, stopBackground);
        });
    }
    // Told once a start: a hand-edited setting outside its range, and what is used instead.
    for (const SettingCorrection& correction : settings->corrections()) {
        controller->broadcast(TextEvent(EventCode::InfoText, correctionText(correction)));
    }
    trace("running");

    SignalWatcher signals;
    signals.start([&controller](int) {
        controller->postEvent(std::make_unique<EngineEvent>(EventCode::Quit));
    });
    if (hooks.waitForExit) {
        hooks.waitForExit(*exitSemaphore);
    } else {
        exitSemaphore->acquire();
    }
    signals.stop();

    // Teardown, in this order: the controller (it waits for its threads), the database,
    // the settings and the context, then the temporary playback file.
    const int exitCode = controller->inputFailed() ? exit_code::kNoAudioInput : exit_code::kOk;
    stopBackground = true;
    if (background.joinable()) {
        background.join();
    }
    controller.reset();
    trace("shutdown: engine controller freed");
    contents->SaveContents();
    context->callContents = nullptr;
    contents.reset();
    if (hooks.closeDatabase) {
        hooks.closeDatabase();
    }
    trace("shutdown: database closed");
    settings.reset();
    context.reset();
    trace("shutdown: settings freed");
    ::unlink(temporaryPlaybackFile().c_str());
    trace("shutdown: temporary playback file removed");
    return exitCode;
}

}  // namespace ambrin
