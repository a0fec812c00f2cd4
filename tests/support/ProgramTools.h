#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// Small tools for tests that drive the running program and look at what it left.
namespace ambrin::test {

// Runs a shell command and returns what it printed (standard output and error).
std::string runCommand(const std::string& command);

// Runs one query with the sqlite3 command on a database ('|' between columns).
std::string sqliteQuery(const std::string& database, const std::string& query);

// Every regular file below a folder, in name order (none when it does not exist).
std::vector<std::string> filesUnder(const std::string& folder);

// Resident memory of a running process in KiB (-1 when it cannot be read).
long residentKiB(pid_t pid);

// How often `part` occurs in `text`.
std::size_t occurrences(const std::string& text, const std::string& part);

}  // namespace ambrin::test
