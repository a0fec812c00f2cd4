// Ambrin+: the telephone-call recorder's main program.

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/DesktopParts.h"
#include "app/GuiSupport.h"
#include "app/ProgramParts.h"
#include "app/StartupTrace.h"
#include "platform/SignalWatcher.h"
#include "platform/ui/Translations.h"
#include "records/ui/BackupStarter.h"
#include "records/ui/IndexProgressWindow.h"

namespace {

void printUsage() {
    std::puts(
        "Usage: ambrin [--headless] [--verbose] [--command NAME]\n"
        "  --headless       run without windows; state changes are printed here\n"
        "  --verbose        with windows, print the state changes here as well\n"
        "  --command NAME   send a command to the running Ambrin+ and end:\n"
        "                   record, stop, play, pause, quit, options or list\n"
        "\n"
        "Exit status:\n"
        "  0  a normal quit, or a second start that woke the running Ambrin+\n"
        "  1  --command: Ambrin+ is not running (or the command is unknown)\n"
        "  2  an unknown argument\n"
        "  3  another Ambrin+ is starting or ending\n"
        "  4  the database's disk has 40 MB or less free\n"
        "  5  the call-record database cannot be opened or created\n"
        "  6  the call-record database is damaged (it is left as it is)\n"
        "  7  the audio input cannot be opened");
}

}  // namespace

int main(int argc, char** argv) {
    // Before any thread exists (the toolkit starts some), so that only the watcher
    // thread receives SIGINT and SIGTERM.
    ambrin::SignalWatcher::blockSignals();
    ambrin::LaunchOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--command" && i + 1 < argc) {
            options.command = argv[++i];
        } else if (arg.rfind("--command=", 0) == 0) {
            options.command = arg.substr(10);
        } else if (arg == "--help" || arg == "-h") {
            printUsage();
            return 0;
        } else {
            std::fprintf(stderr, "ambrin: unknown argument \"%s\"\n", arg.c_str());
            printUsage();
            return ambrin::exit_code::kUsage;
        }
    }
    if (!options.command.empty()) {
        return ambrin::sendCommandToRunningInstance(options.command);
    }

    if (options.verbose && !options.headless) {
        ambrin::enableStartupTrace();
    }
    if (!options.headless && !ambrin::displayAvailable()) {
        std::puts("ambrin: no display can be opened; running without windows");
        options.headless = true;
    }

    std::unique_ptr<QApplication> gui;
    std::unique_ptr<ambrin::IndexProgressWindow> indexProgress;
    ambrin::Application::Hooks hooks = ambrin::programHooks();
    if (!options.headless) {
        ambrin::chooseWindowPlatform();
        gui = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationName("Ambrin+");
        QApplication::setQuitOnLastWindowClosed(false);
        ambrin::installGuiMessagePresenter();
        hooks.waitForExit = ambrin::runGuiUntilReleased;
        hooks.startupBackup = ambrin::StartupBackupWithWindows;
        indexProgress = std::make_unique<ambrin::IndexProgressWindow>();
        hooks.backgroundWork = [window = indexProgress.get()](ambrin::AppContext& context,
                                                              const std::atomic<bool>& stop) {
            window->indexRecords(context, stop);
        };
        ambrin::startupStage("toolkit connected to the display");
    }

    ambrin::EngineParts parts = ambrin::programParts();
    if (gui) {
        ambrin::installUiTranslations();
        ambrin::addDesktopParts(parts, options.verbose);
        ambrin::startupStage("translations loaded");
    }
    ambrin::Application application(options);
    return application.run(std::move(parts), std::move(hooks));
}
