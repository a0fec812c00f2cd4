#pragma once

#include "app/EngineParts.h"

namespace ambrin {

// The engine parts the program runs with: the real recorder, and the window stand-ins that
// run without a screen.
EngineParts programParts();

}  // namespace ambrin
