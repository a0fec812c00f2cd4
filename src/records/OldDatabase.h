#pragma once

#include <string>

namespace ambrin {

// Database files of older versions, which the separate converter program takes over.
inline constexpr const char* kOldDatabaseFile = "Ambrin.odb";
inline constexpr const char* kOldUserFile = "User.odb";
inline constexpr const char* kConverterProgram = "dbtrans";

// Start-up check: when a database file of an older version lies in `programFolder` (ending
// in '/'), starts the converter from that folder and returns true, and the program then ends
// so the converter can work alone. False when there is nothing to convert, or the converter
// could not be started.
bool CheckOldDatabase(const std::string& programFolder);

}  // namespace ambrin
