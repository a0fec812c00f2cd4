#pragma once

#include <string>
#include <vector>

#include "records/RecordFields.h"
#include "records/RecordSearch.h"

namespace ambrin {

class RecordDatabase;

// The spreadsheet of a record list ("Save as Excel"), an .xlsx workbook of one sheet:
//   A1 "Period "                          B1 the period ("2012-07-01 ~ 2012-07-31")
//   A2 "The number of telephone calls "   B2 the number of calls listed
//   A3 "Total Call Duration"              B3 =SUM(B5:Bn), only when a call is listed
//   row 4: the eleven display names (light green, bold, thin borders; columns 16 wide)
//   from row 5: one call a row in list order, columns A to K as the list's fields.
// Values are written as what they are: the date as a date-time, the duration as a time
// ("[h]:mm:ss", so that the sum is a duration), the phone number as text (leading zeros
// kept), the contents with their line breaks, the full path. The formula carries its
// result for readers that do not calculate. Rows stream to the file (constant memory).
struct RecordSheet {
    std::string period;
    DisplayNames names;
};

// Writes the workbook to `path` (replacing what is there). False when it cannot be written.
bool writeRecordWorkbook(const std::string& path, const RecordSheet& sheet,
                         const std::vector<RecordRow>& rows);

// The records of `keys` as the database holds them now, in the keys' order: the first row of
// each key, read in one pass; a key without a record is left out.
bool findRecords(const RecordDatabase& database, const std::vector<std::string>& keys,
                 std::vector<RecordRow>& rows);

// A new, empty file in `folder` for the workbook of a period, named after it
// ("Ambrin+ 2012-07-01 ~ 2012-07-31.xlsx", then " (2)", " (3)" ... before the extension):
// created here, so that no existing file is ever replaced. Empty when none can be created.
std::string reserveWorkbookFile(const std::string& folder, const std::string& fromText,
                                const std::string& toText);

// The export of the list rows with these keys into a new file in `folder` (created when
// missing). `path` receives the file written. False, with no file left behind, when the
// workbook cannot be written.
bool exportRecordList(const RecordDatabase& database, const std::vector<std::string>& keys,
                      const std::string& fromText, const std::string& toText,
                      const DisplayNames& names, const std::string& folder, std::string& path);

}  // namespace ambrin
