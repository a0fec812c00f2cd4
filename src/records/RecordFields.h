#pragma once

#include <array>
#include <string>
#include <string_view>

#include "records/OptionValues.h"

namespace ambrin {

// The eleven fields of a call record as the record list, its header page and the
// spreadsheet export show them, in list order.
enum RecordField : int {
    kFieldDate = 0,
    kFieldDuration,
    kFieldType,
    kFieldName,
    kFieldCid,
    kFieldOrganize,
    kFieldAddress,
    kFieldContents,
    kFieldEtc1,
    kFieldEtc2,
    kFieldPath,
    kFieldCount,
};
static_assert(kFieldCount == kDisplayNameCount);

// List column widths in pixels, by field.
inline constexpr std::array<int, kFieldCount> kFieldWidths = {130, 70,  70,  80,  100, 100,
                                                              100, 120, 120, 120, 140};

// The fields the text search can look into: Name to ETC2.
inline constexpr int kFirstSearchableField = kFieldName;
inline constexpr int kLastSearchableField = kFieldEtc2;
inline constexpr bool isSearchableField(int field) {
    return field >= kFirstSearchableField && field <= kLastSearchableField;
}

// The field whose display name is `name` (the first of equal names), or kFieldCount.
int fieldOfDisplayName(const DisplayNames& names, std::string_view name);

}  // namespace ambrin
