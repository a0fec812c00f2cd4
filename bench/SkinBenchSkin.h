#pragma once

#include <string>

namespace ambrin::bench {

// A skin package of the size of a real main window (360 × 150, rounded through the
// transparent colour, about twenty controls, double-size bitmaps), written into `folder`
// with the program's own packer; returns its path. The shipped default skin is used
// instead when AMBRIN_BENCH_SKIN names a package.
std::string benchSkinPackage(const std::string& folder);

}  // namespace ambrin::bench
