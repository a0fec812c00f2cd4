#include "app/ProgramParts.h"

#include "app/HeadlessWindow.h"
#include "recorder/InputMixer.h"
#include "recorder/Player.h"
#include "recorder/Recorder.h"

namespace ambrin {

EngineParts programParts() {
    EngineParts parts;
    parts.makeMainWindow = [](AppContext& context) { return std::make_unique<HeadlessWindow>(context); };
    parts.makeTrayWindow = [](AppContext& context) { return std::make_unique<HeadlessTray>(context); };
    parts.makeRecorder = [](AppContext& context) { return std::make_unique<Recorder>(context); };
    parts.makePlayer = [](AppContext& context) { return std::make_unique<Player>(context); };
    parts.makeMixer = [](AppContext& context, MainWindowInterface* window) {
        return std::make_unique<InputMixer>(context, window);
    };
    return parts;
}

}  // namespace ambrin
