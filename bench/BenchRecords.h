#pragma once

#include <functional>
#include <string>

namespace ambrin::bench {

// Adds `count` generated calls to the RecordInfo table of the database at `path`, in one
// transaction without a journal; call i gets the key `keyOf(i)` and the file
// "/home/user/ambrin/db/<key>.ogg". Names repeat six surnames numbered by call ("Kim 0",
// "Lee 1", ... "O'Brien 5"); Contents has two lines. False when a row cannot be written.
bool fillCallRecords(const std::string& path, int count,
                     const std::function<std::string(int)>& keyOf);

}  // namespace ambrin::bench
