#include "records/RecordExport.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "platform/Folders.h"
#include "platform/StringTable.h"
#include "records/RecordDatabase.h"
#include "records/RecordDisplay.h"

namespace ambrin {

namespace {

constexpr lxw_color_t kHeaderFill = 0xCEFFCE;  // red 206, green 255, blue 206
constexpr double kColumnWidth = 16;
constexpr lxw_row_t kHeaderRow = 3;  // row 4
constexpr lxw_row_t kFirstDataRow = 4;
constexpr double kSecondsPerDay = 86400.0;

struct WorkbookCloser {
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
};

// Closes the workbook (which writes the file); the result of the close.
lxw_error closeWorkbook(std::unique_ptr<lxw_workbook, WorkbookCloser>& workbook) {
    return workbook_close(workbook.release());
}

// The date of a key as a date-time cell value; false for a key that is not 14 digits.
bool keyDateTime(const std::string& key, lxw_datetime& out) {
    if (key.size() != 14) {
        return false;
    }
    for (const char c : key) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    const auto number = [&](size_t at, size_t length) { return std::stoi(key.substr(at, length)); };
    out.year = number(0, 4);
    out.month = number(4, 2);
    out.day = number(6, 2);
    out.hour = number(8, 2);
    out.min = number(10, 2);
    out.sec = number(12, 2);
    return out.month >= 1 && out.month <= 12 && out.day >= 1 && out.day <= 31 && out.hour < 24 &&
           out.min < 60 && out.sec < 60;
}

}  // namespace

bool writeRecordWorkbook(const std::string& path, const RecordSheet& sheet,
                         const std::vector<RecordRow>& rows) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    std::string temporary = tempFolder();
    options.tmpdir = temporary.data();
    std::unique_ptr<lxw_workbook, WorkbookCloser> workbook(
        workbook_new_opt(path.c_str(), &options));
    if (!workbook) {
        return false;
    }
    lxw_worksheet* worksheet = workbook_add_worksheet(workbook.get(), nullptr);
    lxw_format* header = workbook_add_format(workbook.get());
    lxw_format* dateFormat = workbook_add_format(workbook.get());
    lxw_format* durationFormat = workbook_add_format(workbook.get());
    if (worksheet == nullptr || header == nullptr || dateFormat == nullptr ||
        durationFormat == nullptr) {
        return false;
    }
    format_set_pattern(header, LXW_PATTERN_SOLID);
    format_set_bg_color(header, kHeaderFill);
    format_set_bold(header);
    format_set_border(header, LXW_BORDER_THIN);  // the sheet's border weight 2
    format_set_num_format(dateFormat, "yyyy-mm-dd hh:mm:ss");
    format_set_num_format(durationFormat, "[h]:mm:ss");
    worksheet_set_column(worksheet, 0, kFieldCount - 1, kColumnWidth, nullptr);

    long long totalSeconds = 0;
    for (const RecordRow& row : rows) {
        totalSeconds += row.record.totalTime;
    }
    const auto count = static_cast<double>(rows.size());
    const lxw_row_t lastRow = kFirstDataRow + static_cast<lxw_row_t>(rows.size());  // 1-based

    // Rows go out in order: a row once left is on its way to the file.
    worksheet_write_string(worksheet, 0, 0, loadString(str::kExportPeriod).c_str(), nullptr);
    worksheet_write_string(worksheet, 0, 1, sheet.period.c_str(), nullptr);
    worksheet_write_string(worksheet, 1, 0, loadString(str::kExportCallCount).c_str(), nullptr);
    worksheet_write_number(worksheet, 1, 1, count, nullptr);
    worksheet_write_string(worksheet, 2, 0, loadString(str::kExportTotalDuration).c_str(), nullptr);
    if (!rows.empty()) {
        const std::string sum = "=SUM(B5:B" + std::to_string(lastRow) + ")";
        worksheet_write_formula_num(worksheet, 2, 1, sum.c_str(), durationFormat,
                                    static_cast<double>(totalSeconds) / kSecondsPerDay);
    }
    for (int field = 0; field < kFieldCount; ++field) {
        worksheet_write_string(worksheet, kHeaderRow, static_cast<lxw_col_t>(field),
                               sheet.names[static_cast<size_t>(field)].c_str(), header);
    }
    lxw_row_t line = kFirstDataRow;
    for (const RecordRow& row : rows) {
        const CallRecord& r = row.record;
        lxw_datetime when{};
        if (keyDateTime(row.key, when)) {
            worksheet_write_datetime(worksheet, line, 0, &when, dateFormat);
        } else {
            worksheet_write_string(worksheet, line, 0, row.key.c_str(), nullptr);
        }
        worksheet_write_number(worksheet, line, 1, r.totalTime / kSecondsPerDay, durationFormat);
        const std::string type = displayCallType(r.callType);
        const std::string* texts[] = {&type,       &r.name, &r.cid,  &r.organize, &r.address,
                                      &r.contents, &r.etc1, &r.etc2, &r.fileName};
        lxw_col_t column = 2;
        for (const std::string* text : texts) {
            if (!text->empty()) {
                worksheet_write_string(worksheet, line, column, text->c_str(), nullptr);
            }
            ++column;
        }
        ++line;
    }
    return closeWorkbook(workbook) == LXW_NO_ERROR;
}

bool findRecords(const RecordDatabase& database, const std::vector<std::string>& keys,
                 std::vector<RecordRow>& rows) {
    rows.clear();
    if (keys.empty()) {
        return true;
    }
    std::unordered_map<std::string, CallRecord> found;
    RecordQuery range;
    range.from = keys.front();
    range.to = keys.front();
    for (const std::string& key : keys) {
        found.emplace(key, CallRecord{});
        range.from = std::min(range.from, key);
        range.to = std::max(range.to, key);
    }
    std::unordered_map<std::string, bool> seen;
    const SqliteConnection connection = database.openForReading();
    const bool read =
        forEachCandidate(connection.get(), range, [&](std::string&& key, CallRecord&& record) {
            const auto wanted = found.find(key);
            if (wanted != found.end() && seen.emplace(key, true).second) {
                wanted->second = std::move(record);  // the first row of a key
            }
        });
    if (!read) {
        return false;
    }
    rows.reserve(seen.size());
    for (const std::string& key : keys) {
        if (seen.count(key) != 0) {
            rows.push_back({key, found[key]});
        }
    }
    return true;
}

std::string reserveWorkbookFile(const std::string& folder, const std::string& fromText,
                                const std::string& toText) {
    const std::string base = folder + (folder.empty() || folder.back() != '/' ? "/" : "") +
                             "Ambrin+ " + fromText + " ~ " + toText;
    for (int number = 1; number < 10000; ++number) {
        const std::string path =
            base + (number == 1 ? "" : " (" + std::to_string(number) + ")") + ".xlsx";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

bool exportRecordList(const RecordDatabase& database, const std::vector<std::string>& keys,
                      const std::string& fromText, const std::string& toText,
                      const DisplayNames& names, const std::string& folder, std::string& path) {
    path.clear();
    std::vector<RecordRow> rows;
    if (!findRecords(database, keys, rows) || !makeFolders(folder)) {
        return false;
    }
    const std::string reserved = reserveWorkbookFile(folder, fromText, toText);
    if (reserved.empty()) {
        return false;
    }
    if (!writeRecordWorkbook(reserved, {fromText + " ~ " + toText, names}, rows)) {
        std::remove(reserved.c_str());
        return false;
    }
    path = reserved;
    return true;
}

}  // namespace ambrin
