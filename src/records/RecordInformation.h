#pragma once

#include "core/CallRecord.h"

namespace ambrin {

class AppContext;

// What the recording-information dialog does with the information the user confirmed
// (OK). Name is trimmed of blanks and every field cut to its capacity. Under the context's
// information lock for the whole step:
//  - when LastRecordKey names a record stored without information, that record takes it
//    over (UpdateRecordInformation: its file is renamed, the customer of that name
//    refreshed) and LastRecordKey is cleared; the result is that of the update;
//  - otherwise the call is still being recorded: a copy goes into PendingInformation,
//    replacing one already there, for StoreRecording to use; true.
// Called on the dialog's thread; may wait for a recording being stored at the same moment.
bool confirmRecordInformation(AppContext& context, const CallRecord& information);

// Cancel: the stored record keeps its empty information (LastRecordKey is cleared);
// PendingInformation is left alone.
void cancelRecordInformation(AppContext& context);

}  // namespace ambrin
