#pragma once

#include <string>

namespace ambrin {

// Builds a skin from its unpacked description; the skin document implements it. The
// package steps (finding, unpacking, falling back, cleaning up) stay in SkinManager.
class SkinBuilder {
  public:
    virtual ~SkinBuilder() = default;

    // Called by SkinManager::loadSkin on the loading thread while the skin's files exist:
    // `folder` holds the bitmaps and fonts that the description names (relative file names
    // resolve there) and `descriptionPath` is its "skin.xml". An unpacked folder is deleted
    // as soon as this returns, so everything needed from it must be loaded by then.
    // Returns 0 when the skin was built, else a result code (8 or 23 from the reader).
    virtual int buildSkin(const std::string& folder, const std::string& descriptionPath) = 0;
};

}  // namespace ambrin
