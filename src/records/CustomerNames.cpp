#include "records/CustomerNames.h"

#include "platform/TextHelpers.h"
#include "records/RecordDatabase.h"
#include "records/RecordLimits.h"

namespace ambrin {

namespace {

std::string digitsOf(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    return digits;
}

}  // namespace

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

bool findCustomerByNumber(AppContext& context, const std::string& number, std::string& name,
                          CustomerRecord& customer) {
    const std::string wanted = digitsOf(number);
    if (wanted.empty()) {
        return false;
    }
    RecordDatabase database(context);
    if (!database.BeginCustomers()) {
        return false;
    }
    std::string candidate;
    CustomerRecord record;
    while (database.NextCustomer(candidate, record)) {
        if (digitsOf(record.cid) == wanted) {
            name = candidate;
            customer = record;
            return true;
        }
    }
    return false;  // the destructor ends the iteration
}

}  // namespace ambrin
