#pragma once

namespace ambrin {

// The engine's state, kept by the controller's event thread.
enum class EngineState { Paused = 1, Playing = 2, Idle = 3, Recording = 4 };

}  // namespace ambrin
