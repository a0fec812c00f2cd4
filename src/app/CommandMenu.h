#pragma once

class QMenu;
class QWidget;

namespace ambrin {

enum class EngineState;

// Which transport entries of the command menu can be chosen.
struct TransportStates {
    bool record = false;
    bool play = false;
    bool pause = false;
    bool stop = false;
    bool operator==(const TransportStates&) const = default;
};

// What the tray window knows of the engine, from the controller's broadcasts (numbered
// differently from EngineState).
enum class TrayMirror { Idle = 0, Playing = 1, Paused = 2, Recording = 3 };

// The main window's right-button menu: Paused leaves all four entries enabled.
TransportStates mainMenuStates(EngineState state, bool currentFileSet);
// The tray menu: Paused grays Record and Play like Playing does.
TransportStates trayMenuStates(TrayMirror mirror, bool currentFileSet);

// Builds the command menu (menu 102) that the main window and the tray share; each action
// carries its command id (MenuCommands.h) as its data. "Automatic" or "Manual" is checked
// from `recordMode` (0 automatic), the transport entries enabled from `states`. The texts
// are the English ones, translated through the "CommandMenu" context. GUI thread.
QMenu* createCommandMenu(const TransportStates& states, int recordMode, QWidget* parent = nullptr);

}  // namespace ambrin
