#pragma once

#include <string>
#include <string_view>

#include "core/CallRecord.h"

namespace ambrin {

// Capacity in bytes (terminating zero included) of a record key and of a customer's name,
// which travel beside the records.
inline constexpr size_t kKeyCapacity = 260;
inline constexpr size_t kCustomerNameCapacity = 260;

// The longest text a field of `capacity` bytes holds: capacity - 1 bytes, cut at a UTF-8
// character boundary.
std::string limitText(std::string_view text, size_t capacity);

// Cuts every text field to its capacity (see CallRecord). Numbers are left alone.
void limitFields(CallRecord& record);
void limitFields(CustomerRecord& customer);

}  // namespace ambrin
