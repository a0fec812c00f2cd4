#pragma once

#include <string>
#include <string_view>

#include "core/CallRecord.h"

namespace ambrin {

// How record values are shown in the record list and written to the spreadsheet.

// "2012-07-31 15:30:12" from the key 20120731153012: the key's digits 1-4, 5-6, 7-8, 9-10,
// 11-12 and 13-14 joined by "-", " " and ":". A key shorter than 14 characters is shown as
// it is.
std::string displayDate(std::string_view key);

// Back from a display date to a key: "yyyy-MM-dd hh:mm:ss" gives its 14 digits; a date alone
// gives its 8 digits followed by "000000" (the start of a range) or "235959" (its end).
// Empty when the text is neither.
enum class RangeEnd { Start, End };
std::string keyFromDisplayDate(std::string_view text, RangeEnd end = RangeEnd::Start);

// The duration as "%02d:%02d:%02d"; hours are not limited to two digits.
std::string displayDuration(int totalSeconds);

// "Inbound" (string 38), "Outbound" (39), anything else "Unknown" (75), in the thread's
// language.
std::string displayCallType(int callType);

// Contents on one line: every carriage return and line feed becomes a blank.
std::string oneLine(std::string_view text);

// The file name and extension of a recording's path.
std::string recordingFileName(std::string_view path);

// The kind of recording by the path's extension, compared without case: the list's icon.
enum class RecordingKind { Ogg = 0, Mpeg = 1, Other = 2 };
RecordingKind recordingKindOf(std::string_view path);

}  // namespace ambrin
