#pragma once

#include <string>

namespace ambrin {

// Receives what the controls of a skin window report: the control's name and a code of
// control_event (SkinControl.h). It gives them their meaning. Called on the thread that
// drives the window's pointer input, after the control has taken its new look; the owner
// may set values, replace the window or load another skin from inside the call.
class SkinOwner {
  public:
    virtual ~SkinOwner() = default;
    virtual void onAction(const std::string& control, int code) = 0;
};

}  // namespace ambrin
