#pragma once

#include <string>

namespace ambrin {

class AppContext;

// Adds a customer with empty fields under a name no other customer has: `name` (blanks
// trimmed) when it is free, else "name(1)", "name(2)", ... the first that is free. Returns
// the name given, or empty when `name` is blank or the customer could not be inserted.
// Called on the options window's thread.
std::string addCustomerWithFreeName(AppContext& context, const std::string& name);

}  // namespace ambrin
