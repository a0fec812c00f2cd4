#pragma once

#include "app/Application.h"
#include "core/EngineParts.h"

namespace ambrin {

// The engine parts the program runs with: the real recorder, and the window stand-ins that
// run without a screen.
EngineParts programParts();

// The start-up steps around the engine: opening the call-record database (and storing the
// calls an earlier run could not store), and the stock call contents.
Application::Hooks programHooks();

}  // namespace ambrin
