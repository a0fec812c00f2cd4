#pragma once

#include <functional>
#include <string>

namespace ambrin::test {

// Starts a private X server (Xvfb, one 1024 × 768 screen of 24 bits, no TCP) for the whole
// test program, runs `run` with its display name (":N"), stops the server and returns what
// `run` returned; 1 when the server does not start.
int runOnPrivateXServer(const std::function<int(const std::string& display)>& run);

}  // namespace ambrin::test
