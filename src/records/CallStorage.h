#pragma once

#include <string>

#include "core/CallRecord.h"
#include "records/RecordDatabase.h"

namespace ambrin {

class AppContext;

// Creates the tables of "Ambrin.od2" in "InstallPath" when they are missing; an existing
// file is not changed. True on success. A file that is not an SQLite database or is damaged is
// left exactly as it is: the user is told with a warning box naming it, and the result is false.
// `status` tells why it failed. Called once at start-up on the main thread; waits for the box.
bool InitializeDatabase(AppContext& context);
bool InitializeDatabase(AppContext& context, DatabaseStatus& status);

// Turns a finished recording file (full path; this call may move or delete it) into a
// call record:
//  - takes the information waiting in the context's PendingInformation, if any, and moves
//    the file to a name that carries it (see RecordFileNames.h; never over an existing
//    file, and not at all when a part cannot go into a file name);
//  - without such information, takes the number the line told for the call (the context's
//    LineNumber) as the record's phone number, the call Outbound when it was dialled and
//    Inbound otherwise;
//  - measures the duration; at or below "MinimumRecordTime" seconds the file is deleted and
//    the result is false;
//  - inserts the record under the key of the time now; LastRecordKey becomes that key
//    when the record went in without information, so the information dialog can still
//    fill it in, and is cleared otherwise. True.
// When the insertion fails the file stays, the call (with its information) is written to
// the unsaved-call journal for recoverUnsavedCalls(), the user is told with a warning
// box, LastRecordKey is cleared and the result is false.
// Holds the context's information lock from taking PendingInformation until LastRecordKey
// is set (the dialog's OK may come in the same instant); the message is shown after the
// lock is released. Called on the engine controller's event thread; blocks on file and
// database work (waiting for a busy database up to its time-out).
bool StoreRecording(AppContext& context, const std::string& path);

// Applies information the user confirmed after its recording was stored without it:
// finds the record of `key` (false when there is none), moves its file to
// <folder>/[user name@][Name_][first 6 characters of Contents_]<key><extension> unless the
// file name already holds "_" after its "user name@" part (or the move cannot be made),
// takes over Name, CID, Organize, Address, Contents, ETC1, ETC2 and CallType of
// `information` (its FileName and TotalTime are not used), and updates the record (false
// when that fails; the file then goes back to its old name). Then the customer of that Name,
// if there is one, takes over its phone number, organization, address and the free fields;
// no customer is created. Any thread; the caller holds the information lock when the key
// came from LastRecordKey.
bool UpdateRecordInformation(AppContext& context, const std::string& key,
                             const CallRecord& information);

// Stores the calls of the unsaved-call journal ("Ambrin.od2.unsaved" beside the database)
// that StoreRecording could not insert; those that still fail stay in it. Returns the
// number stored. Meant for start-up, after InitializeDatabase.
int recoverUnsavedCalls(AppContext& context);

}  // namespace ambrin
