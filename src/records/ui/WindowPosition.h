#pragma once

#include <QPoint>
#include <QSize>
#include <optional>
#include <string>

class QWidget;

namespace ambrin {

class SettingsStore;

// Where a window goes for a saved position text (" %d , %d") on a screen: the stored top-left
// corner, or nothing (centre it) when it is unusable (negative, or within 10 pixels of the
// screen's right or bottom edge or beyond).
std::optional<QPoint> storedWindowPosition(const std::string& text, const QSize& screen);

// Moves `window` to the position of the setting `name`, or centres it on the primary screen.
void placeAtStoredPosition(QWidget& window, const SettingsStore* settings, const char* name);

// Saves the window's top-left corner to the setting `name` as "%d,%d".
void storeWindowPosition(const QWidget& window, SettingsStore* settings, const char* name);

}  // namespace ambrin
