#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "core/EngineParts.h"

namespace ambrin {

class AppContext;

// The engine part that runs the retention rules of the settings on the call records at
// `now`, never touching the files in `inUse`; what it did, as texts to tell.
std::vector<Notice> applyRetentionRules(AppContext& context, std::time_t now,
                                        const std::vector<std::string>& inUse);

// The engine part that reads what the line's health is judged by: the newest call, and when
// the recordings' disk fills at the rate of the last 30 days.
LineActivity readLineActivity(AppContext& context, std::time_t now);

}  // namespace ambrin
