#include "app/MenuCommands.h"

#include <array>
#include <utility>

namespace ambrin {

std::string_view menuCommandAction(int id) {
    switch (id) {
        case cmd::kHelp:
            return "Help";
        case cmd::kRecord:
            return "Record";
        case cmd::kPlay:
            return "Play";
        case cmd::kPause:
            return "Pause";
        case cmd::kStop:
            return "Stop";
        case cmd::kOptions:
            return "Options";
        case cmd::kRecordList:
            return "RecordList";
        default:
            return {};
    }
}

MenuCommandRoute routeMenuCommand(int id, std::int64_t lParam) {
    MenuCommandRoute route;
    switch (id) {
        case cmd::kExit:
            route.event = lParam == kExitWithoutQuestion ? EventCode::Quit : EventCode::QuitAsk;
            break;
        case cmd::kAutomatic:
        case cmd::kManual:
            route.recordMode = id == cmd::kManual ? 1 : 0;
            route.event = EventCode::SettingsChanged;
            break;
        case cmd::kVolumeWizard:
            route.event = EventCode::VolumeWizard;
            break;
        default:
            route.action = menuCommandAction(id);
    }
    return route;
}

std::optional<int> menuCommandForName(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, int>, 7> kNames = {{
        {"record", cmd::kRecord},
        {"stop", cmd::kStop},
        {"play", cmd::kPlay},
        {"pause", cmd::kPause},
        {"quit", cmd::kExit},
        {"options", cmd::kOptions},
        {"list", cmd::kRecordList},
    }};
    for (const auto& [text, id] : kNames) {
        if (text == name) {
            return id;
        }
    }
    return std::nullopt;
}

}  // namespace ambrin
