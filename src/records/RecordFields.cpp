#include "records/RecordFields.h"

namespace ambrin {

int fieldOfDisplayName(const DisplayNames& names, std::string_view name) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return static_cast<int>(i);
        }
    }
    return kFieldCount;
}

}  // namespace ambrin
