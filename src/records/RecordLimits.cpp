#include "records/RecordLimits.h"

#include "platform/TextHelpers.h"

namespace ambrin {

namespace {

constexpr size_t kShort = CallRecord::kShortCapacity;
constexpr size_t kLong = CallRecord::kLongCapacity;

void limit(std::string& text, size_t capacity) {
    if (text.size() >= capacity) {
        text = cutToBytes(text, capacity - 1);
    }
}

}  // namespace

std::string limitText(std::string_view text, size_t capacity) {
    return capacity == 0 ? std::string() : cutToBytes(text, capacity - 1);
}

void limitFields(CallRecord& record) {
    limit(record.name, kShort);
    limit(record.cid, kShort);
    limit(record.organize, kShort);
    limit(record.address, kShort);
    limit(record.contents, kLong);
    limit(record.fileName, kShort);
    limit(record.etc1, kLong);
    limit(record.etc2, kLong);
}

void limitFields(CustomerRecord& customer) {
    limit(customer.cid, kShort);
    limit(customer.organize, kShort);
    limit(customer.address, kShort);
    limit(customer.etc1, kLong);
    limit(customer.etc2, kLong);
}

}  // namespace ambrin
