#pragma once

#include <string>
#include <vector>

namespace ambrin {

// The arithmetic of the main window's displays and controls, kept apart so that it can be
// checked without a window.

// The text of the "Time" controls for a position in seconds (negative: none). With
// `remaining` and a known length (0 or more), the time left: "-hh:mm:ss" from an hour on,
// "-mm:ss" down to one second, then "00:00". Otherwise the position: "mm:ss" below an hour,
// "hh:mm:ss" from an hour on; "00:00" without a position.
std::string timeDisplayText(int positionSeconds, int lengthSeconds, bool remaining);

// Where a released "Seek" slider asks the player to go (the parameter of event 10):
// length × percent / 100 seconds, truncated, plus one. `timeScale` is the unit of the
// player's positions in seconds as event 35 told it (0.1 on the streaming path, whose
// positions are tenths); 0 or less means whole seconds.
int seekTarget(int lengthSeconds, int percent, double timeScale);

// The position shown while "Seek" is dragged: length × percent / 100 in whole seconds.
int seekPreview(int lengthSeconds, int percent);

// The playback volume after `steps` wheel notches from `current`: 5 a notch, within 0..100.
int wheelVolume(int current, int steps);

// The playback volume as the main window keeps it, with the mute toggle of the middle button
// and the "Mute" control.
class PlaybackVolume {
  public:
    // The volume the user chose (percent, -1 unknown).
    int percent() const { return m_percent; }
    bool muted() const { return m_muted; }

    // A new volume: a volume other than 0 ends the mute.
    void set(int percent);
    // Mutes (remembering the volume) or un-mutes; returns the volume to set now.
    int toggleMute();

  private:
    int m_percent = -1;
    int m_savedBeforeMute = -1;
    bool m_muted = false;
};

// Puts staged copies of the launcher and the installer library in place in `programFolder`
// ("refrex_" becomes "refrex", "libwizard.so_" becomes "libwizard.so") and starts
// "refrex <parameter>" from there. False, silently, when the launcher cannot be started.
bool startUpdater(const std::string& programFolder, const std::string& parameter);

}  // namespace ambrin
