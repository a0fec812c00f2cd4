#pragma once

#include <functional>
#include <string>

#include "core/EngineState.h"

namespace ambrin {

// What the option pages use from the engine's parts, handed to the options window by whoever
// creates it. Called on the GUI thread; each may be empty (then: no control, no line input).
struct OptionsServices {
    // The recording volume in percent, -1 without a volume control.
    std::function<int()> recordVolume;
    std::function<void(int percent)> setRecordVolume;
    // Whether the recording source offers a line input.
    std::function<bool()> hasLineInput;
    // The engine's state (the record list plays nothing while recording and deletes nothing
    // while playing); empty: idle.
    std::function<EngineState()> engineState;
    // Opens a web page; empty: the desktop's browser.
    std::function<bool(const std::string& address)> openPage;
};

}  // namespace ambrin
