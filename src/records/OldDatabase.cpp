#include "records/OldDatabase.h"

#include "platform/Folders.h"
#include "platform/Shell.h"

namespace ambrin {

bool CheckOldDatabase(const std::string& programFolder) {
    const std::string converter = programFolder + kConverterProgram;
    if (fileExists(programFolder + kOldDatabaseFile) &&
        startProgram(converter, {}, programFolder)) {
        return true;
    }
    if (fileExists(programFolder + kOldUserFile)) {
        return startProgram(converter, {}, programFolder);
    }
    return false;
}

}  // namespace ambrin
