#pragma once

#include <functional>
#include <vector>

#include "records/ui/OptionsPage.h"

namespace ambrin {

struct OptionsServices;

// One page of the options window: its tree text (English, translated in the context
// "OptionsDialog") and how it is made.
struct OptionsPageEntry {
    const char* caption;
    std::function<OptionsPage*(OptionsPageHost& host, QWidget* parent)> make;
};

// Row 0 is the record list, at the tree's root; every further row is a page under "Options",
// in tree order. The rows' positions are the pages' numbers in OptionsPageRow.
enum OptionsPageRow : int {
    kRecordListRow = 0,
    kGeneralRow,
    kRecordRow,
    kAutoBackupRow,
    kRecordListHeaderRow,
    kCallContentsRow,
    kCustomersRow,
    kRetentionRow,
    kAboutRow,
    kCopyrightRow,
};

// The pages of the program's options window. `services` outlives the window.
std::vector<OptionsPageEntry> optionsPageTable(const OptionsServices& services);

}  // namespace ambrin
