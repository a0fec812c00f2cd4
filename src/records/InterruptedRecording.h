#pragma once

#include <string>

namespace ambrin {

class AppContext;

// At start-up, once the database is open: when a journal names a recording, the program ended
// during it. Its file is repaired (what was fully written is kept) and stored as if the call
// had ended then, unless a record of it exists already (the program ended after storing it).
// The journal is removed. Returns the path of the call stored, or empty.
std::string recoverInterruptedRecording(AppContext& context);

}  // namespace ambrin
