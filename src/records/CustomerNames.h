#pragma once

#include <string>

#include "core/CallRecord.h"

namespace ambrin {

class AppContext;

// Adds a customer with empty fields under a name no other customer has: `name` (blanks
// trimmed) when it is free, else "name(1)", "name(2)", ... the first that is free. Returns
// the name given, or empty when `name` is blank or the customer could not be inserted.
// Called on the options window's thread.
std::string addCustomerWithFreeName(AppContext& context, const std::string& name);

// The first customer (in table order) whose phone number is `number`, compared by their
// digits only, so "02-123-4567" is the customer of 021234567. False when none is, or when
// `number` has no digit. Any thread.
bool findCustomerByNumber(AppContext& context, const std::string& number, std::string& name,
                          CustomerRecord& customer);

}  // namespace ambrin
