#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CallRecord.h"

namespace ambrin {

// The journal beside the database: "Ambrin.od2.unsaved".
inline constexpr const char* kUnsavedCallsSuffix = ".unsaved";

// A finished call whose record could not be inserted: its key, and the record with the
// recording's path, duration, call type and whatever information the user had given.
struct UnsavedCall {
    std::string key;
    CallRecord record;
};

// A text file of calls waiting to be stored, one a line, so that a call whose insertion
// failed (database locked past the time-out, disk full, file damaged) keeps its record and
// information until a later start stores it.
//
// Line layout (UTF-8, tab-separated, '#' lines are comments):
//   key  FileName  TotalTime  CallType  Name  CID  Organize  Address  Contents  ETC1  ETC2
// In the texts a backslash, tab, line feed and carriage return are written \\ \t \n \r and
// any other control byte \xHH, so a line never breaks inside a value.
//
// Appends and replays hold an exclusive flock on the file, so several threads and
// processes may use it at once.
class UnsavedCallJournal {
  public:
    explicit UnsavedCallJournal(std::string filePath) : m_path(std::move(filePath)) {}

    const std::string& filePath() const { return m_path; }

    // Adds the call at the end (creating the file); false when it cannot be written.
    bool append(const UnsavedCall& call) const;

    // Every call in the file, in order; lines that cannot be read are left out.
    std::vector<UnsavedCall> read() const;

    // Hands every call to `store` in order; the calls it stores leave the file, the others
    // stay. The file is removed once empty. Returns the number stored.
    int replay(const std::function<bool(const UnsavedCall&)>& store) const;

    static std::string formatLine(const UnsavedCall& call);
    static std::optional<UnsavedCall> parseLine(std::string_view line);

  private:
    std::string m_path;
};

}  // namespace ambrin
