#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/AudioLine.h"
#include "support/TestEnvironment.h"

// What the setup and package tests do with an installed program.
namespace ambrin::test {

// Settings for a short test call: WAVE, two seconds of silence end it, any length is kept.
void writeShortCallSettings();

// Starts `program` (headless), plays one call into the line and waits until the program has
// stored it, then ends the program with SIGTERM. `prefix` runs before the program (e.g. a
// command that drops privileges). Empty on success, else what went wrong.
std::string recordOneCall(AudioLine& line, const std::string& program,
                          const std::vector<std::string>& prefix, const std::string& outputFolder);

// The path and mode bits of every file below a folder, with its size and change time.
std::vector<std::string> folderListing(const std::string& folder);

}  // namespace ambrin::test
