#include "app/DesktopParts.h"

#include <QApplication>
#include <atomic>

#include "app/ChildWindows.h"
#include "app/MainWindow.h"
#include "app/OptionsWindow.h"
#include "app/TrayWindow.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "recorder/InputMixer.h"
#include "recorder/Recorder.h"
#include "recorder/ui/VolumeWizard.h"
#include "records/ui/RecordInformationWindow.h"

namespace ambrin {

namespace {

// The record list and the options window that the main window opens (event 16). Its
// Record page reads and sets the recording volume through the controller's mixer.
std::shared_ptr<ChildWindows> makeChildWindows(
    AppContext& context, const std::shared_ptr<std::atomic<MixerInterface*>>& mixer,
    std::function<EngineState()> engineState) {
    OptionsServices services;
    services.engineState = std::move(engineState);
    services.recordVolume = [mixer] {
        MixerInterface* current = mixer->load();
        return current != nullptr ? current->recordVolume() : -1;
    };
    services.setRecordVolume = [mixer](int percent) {
        if (MixerInterface* current = mixer->load()) {
            current->setRecordVolume(percent);
        }
    };
    services.hasLineInput = [] { return InputMixer::hasInputSource(InputLine::Line); };
    return std::make_shared<OptionsWindow>(context, std::move(services));
}

// The volume wizard, when it is open. GUI thread.
VolumeWizard* openVolumeWizard() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* wizard = qobject_cast<VolumeWizard*>(widget);
            wizard != nullptr && wizard->isVisible()) {
            return wizard;
        }
    }
    return nullptr;
}

}  // namespace

void addDesktopParts(EngineParts& parts, bool verbose) {
    // The wizard draws the recorder's level block; the recorder is the controller's, so the
    // wizard only keeps a pointer to it (the controller ends the wizard's thread first).
    auto recorder = std::make_shared<std::atomic<Recorder*>>(nullptr);
    if (parts.makeRecorder) {
        parts.makeRecorder = [make = parts.makeRecorder, recorder](AppContext& context) {
            auto made = make(context);
            recorder->store(dynamic_cast<Recorder*>(made.get()));
            return made;
        };
    }
    // Likewise the mixer, whose recording volume the wizard reads on its own thread.
    auto mixer = std::make_shared<std::atomic<MixerInterface*>>(nullptr);
    if (parts.makeMixer) {
        parts.makeMixer = [make = parts.makeMixer, mixer](AppContext& context,
                                                          MainWindowInterface* window) {
            auto made = make(context, window);
            mixer->store(made.get());
            return made;
        };
    }
    parts.runVolumeWizard = [recorder, mixer](AppContext& context) {
        runVolumeWizard(
            context,
            [mixer] {
                MixerInterface* current = mixer->load();
                return current != nullptr ? current->recordVolume() : -1;
            },
            [recorder] {
                const Recorder* current = recorder->load();
                return current != nullptr ? current->level() : LevelBlock::Snapshot{};
            });
    };
    parts.makeMainWindow = [recorder, mixer, verbose](AppContext& context) {
        MainWindow::Links links;
        links.verbose = verbose;
        // The record list asks for the engine's state as the main window shows it (both on
        // the GUI thread): no playing while recording, no deleting while playing.
        auto shown = std::make_shared<const MainWindow*>(nullptr);
        links.childWindows = makeChildWindows(context, mixer, [shown] {
            return *shown != nullptr ? (*shown)->state() : EngineState::Idle;
        });
        links.applyEngineSettings = [recorder, &context] {
            if (Recorder* current = recorder->load()) {
                current->reloadDetectionSettings();
            }
            const int input = context.settings != nullptr
                                  ? context.settings->intOr(setting::kInputSignalMode, 0)
                                  : 0;
            InputMixer::selectInputSource(input == 0 ? InputLine::Microphone : InputLine::Line);
        };
        links.setRecordMode = [recorder, &context](int mode) {
            if (Recorder* current = recorder->load()) {
                current->setRecordMode(mode);
            } else if (context.settings != nullptr) {
                context.settings->writeInt(setting::kRecordMode, mode);
            }
        };
        links.level = [recorder] {
            const Recorder* current = recorder->load();
            return current != nullptr ? current->level() : LevelBlock::Snapshot{};
        };
        links.recordVolumeShown = [](int percent) {
            if (VolumeWizard* wizard = openVolumeWizard()) {
                wizard->refresh(percent);
            }
        };
        auto window = std::make_unique<MainWindow>(context, std::move(links));
        *shown = window.get();
        return window;
    };
    parts.makeTrayWindow = [](AppContext& context) {
        return std::make_unique<TrayWindow>(context);
    };
    parts.makeInfoWindow = [](AppContext& context) {
        return std::make_unique<RecordInformationWindow>(context);
    };
}

}  // namespace ambrin
