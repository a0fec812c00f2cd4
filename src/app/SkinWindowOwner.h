#pragma once

#include <QPoint>

#include "skin/SkinOwner.h"

namespace ambrin {

// The owner of a SkinWindow (the main window): everything with a meaning for the program
// goes here. onAction (from SkinOwner) carries the controls' codes, "WindowStatus" 7 and 8
// from the hover test, and ("Quit", 0) when the window closes. All calls come on the GUI
// thread, with the window's lock held for the pointer, wheel and mixer ones.
class SkinWindowOwner : public SkinOwner {
  public:
    // A typed character; F1 arrives as 'h'.
    virtual void onKey(int character) = 0;
    // Wheel notches, positive away from the user.
    virtual void onWheel(int steps) = 0;
    virtual void onMiddleClick() = 0;
    virtual void onMixerChange(int controlId) = 0;
    // The window exists and is shown.
    virtual void onCreated() = 0;
    // The right button was released at `globalPosition`: the owner's menu.
    virtual void onRightButton(const QPoint& globalPosition) = 0;
    // Once per window object, more than two minutes after it was made, when the
    // auto-update flag is set: start the updater.
    virtual void onStartUpdater() = 0;
};

}  // namespace ambrin
