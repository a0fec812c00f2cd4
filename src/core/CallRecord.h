#pragma once

#include <string>

namespace ambrin {

// Call types of a record.
inline constexpr int kCallInbound = 0;
inline constexpr int kCallOutbound = 1;
inline constexpr int kCallUnknown = 2;

// One call record (a row of RecordInfo) without its key. Texts are UTF-8; the capacities
// (bytes, terminating zero included) are input limits: longer values are cut at a character
// boundary when a record is filled.
struct CallRecord {
    static constexpr size_t kShortCapacity = 260;
    static constexpr size_t kLongCapacity = 520;

    std::string name;      // the other party's name (260)
    std::string cid;       // the other party's phone number (260)
    std::string organize;  // organization (260)
    std::string address;   // (260)
    std::string contents;  // free notes, may hold line breaks (520)
    std::string fileName;  // full path of the recording (260)
    std::string etc1;      // (520)
    std::string etc2;      // (520)
    int totalTime = 0;     // seconds
    int callType = kCallUnknown;
};

// One customer (a row of UserInfo) without its name.
struct CustomerRecord {
    std::string cid;       // (260)
    std::string organize;  // (260)
    std::string address;   // (260)
    std::string etc1;      // (520)
    std::string etc2;      // (520)
};

}  // namespace ambrin
