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
