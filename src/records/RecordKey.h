#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "platform/Clock.h"

namespace ambrin {

// The key of a call record: year, month, day, hour, minute, second as
// "%d%02d%02d%02d%02d%02d" (20120731153012). Fixed widths, so text order is time order.
std::string recordKeyFor(const SystemTime& time);

// The key of a record stored now (local time).
std::string currentRecordKey();

// The key of the local time at `time`.
std::string recordKeyAt(std::time_t time);
// The moment a key stands for (local time); empty when it is not a key.
std::optional<std::time_t> timeOfRecordKey(const std::string& key);

}  // namespace ambrin
