#include "records/RecordInformation.h"

#include <memory>

#include "core/AppContext.h"
#include "platform/TextHelpers.h"
#include "records/CallStorage.h"
#include "records/RecordLimits.h"

namespace ambrin {

bool confirmRecordInformation(AppContext& context, const CallRecord& information) {
    CallRecord record = information;
    record.name = TrimBlanks(record.name);
    limitFields(record);

    const auto lock = context.lockInformation();
    std::string& lastKey = context.lastRecordKeyLocked();
    if (!lastKey.empty()) {
        const bool updated = UpdateRecordInformation(context, lastKey, record);
        lastKey.clear();
        return updated;
    }
    context.pendingInformation() = std::make_unique<CallRecord>(std::move(record));
    return true;
}

void cancelRecordInformation(AppContext& context) {
    context.setLastRecordKey({});
}

}  // namespace ambrin
