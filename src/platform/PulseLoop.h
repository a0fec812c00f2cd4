#pragma once

struct pa_threaded_mainloop;

namespace ambrin {

// Starts a PulseAudio threaded main loop and returns once its thread has run a first callback.
//
// The loop's thread sets up the library's record of itself when it starts, published in a way
// a race detector cannot follow, while the first lock taken by another thread looks at that
// record too. Waiting for a callback through our own mutex orders the two, so nothing touches
// the library from outside until the loop's thread is fully set up. False when it cannot start.
bool startThreadedLoop(pa_threaded_mainloop* loop);

}  // namespace ambrin
