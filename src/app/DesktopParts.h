#pragma once

#include "core/EngineParts.h"

namespace ambrin {

// Replaces the window stand-ins of `parts` by the desktop's windows: the
// recording-information dialog, the tray icon with its password prompt, and the volume
// wizard. Needs the QApplication; the windows live on its (the main) thread. With
// `verbose` the main window prints the engine's broadcasts on standard output.
void addDesktopParts(EngineParts& parts, bool verbose = false);

}  // namespace ambrin
