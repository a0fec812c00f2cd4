#pragma once

namespace ambrin {

// Where the time of a start goes. With --verbose each stage up to the main window's first
// paint is printed as "ambrin: start-up <wall> ms (<cpu> ms CPU) <stage>": the wall time since
// main() began and the CPU time the process has used so far (loading the libraries included),
// which a busy machine does not stretch. Stages after the first paint are not printed.
// Any thread; the marks are cheap when tracing is off.
void enableStartupTrace();
void startupStage(const char* stage);
// The last stage: the main window painted for the first time. Later calls do nothing.
void startupFinished();

}  // namespace ambrin
