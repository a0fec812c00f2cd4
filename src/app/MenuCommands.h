#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/EngineEvent.h"

namespace ambrin {

// Menu command ids; the tray menu and the right-button menu share them.
namespace cmd {
inline constexpr int kExit = 40001;
inline constexpr int kHelp = 40002;
inline constexpr int kRecord = 40003;
inline constexpr int kPlay = 40004;
inline constexpr int kPause = 40005;
inline constexpr int kStop = 40006;
inline constexpr int kOptions = 40014;
inline constexpr int kAutomatic = 40018;
inline constexpr int kManual = 1007;
inline constexpr int kRecordList = 1013;
inline constexpr int kVolumeWizard = 40025;
}  // namespace cmd

// lParam of an exit command sent by the updater: quit without the exit question.
inline constexpr std::int64_t kExitWithoutQuestion = 119;

// The control action that a menu command stands for ("Record", "Play", ...), for the
// commands that are handled as actions; empty for the others.
std::string_view menuCommandAction(int id);

// What a menu command asks of whichever window received it: an event to post (after "RecordMode"
// is set, for Automatic and Manual), or else the control action of menuCommandAction.
struct MenuCommandRoute {
    std::optional<EventCode> event;
    int recordMode = -1;  // 0 automatic, 1 manual; -1 leaves it
    std::string_view action;
};
MenuCommandRoute routeMenuCommand(int id, std::int64_t lParam);

// The menu command for a command-line name (record, stop, play, pause, quit, options, list).
std::optional<int> menuCommandForName(std::string_view name);

}  // namespace ambrin
