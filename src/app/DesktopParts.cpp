#include "app/DesktopParts.h"

#include <atomic>

#include "app/DesktopPresence.h"
#include "app/TrayWindow.h"
#include "recorder/Recorder.h"
#include "recorder/ui/VolumeWizard.h"
#include "records/ui/RecordInformationWindow.h"

namespace ambrin {

void addDesktopParts(EngineParts& parts) {
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
    parts.makeMainWindow = [](AppContext& context) {
        return std::make_unique<DesktopPresence>(context);
    };
    parts.makeTrayWindow = [](AppContext& context) {
        return std::make_unique<TrayWindow>(context);
    };
    parts.makeInfoWindow = [](AppContext& context) {
        return std::make_unique<RecordInformationWindow>(context);
    };
}

}  // namespace ambrin
