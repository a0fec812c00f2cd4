#include "records/CustomerNames.h"

#include "platform/TextHelpers.h"
#include "records/RecordDatabase.h"
#include "records/RecordLimits.h"

namespace ambrin {

std::string addCustomerWithFreeName(AppContext& context, const std::string& name) {
    const std::string base = limitText(TrimBlanks(name), kCustomerNameCapacity);
    if (base.empty()) {
        return {};
    }
    const RecordDatabase database(context);
    std::string candidate = base;
    for (int number = 1; database.CustomerExists(candidate); ++number) {
        const std::string suffix = "(" + std::to_string(number) + ")";
        // At full length the base gives way, so the number is never cut off.
        candidate = limitText(base, kCustomerNameCapacity - suffix.size()) + suffix;
    }
    return database.InsertCustomer(candidate, CustomerRecord{}) ? candidate : std::string();
}

}  // namespace ambrin
