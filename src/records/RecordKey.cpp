#include "records/RecordKey.h"

#include <cstdio>

namespace ambrin {

std::string recordKeyFor(const SystemTime& time) {
    char key[64];
    std::snprintf(key, sizeof key, "%d%02d%02d%02d%02d%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return key;
}

std::string currentRecordKey() {
    return recordKeyFor(localTime());
}

}  // namespace ambrin
