#include "skin/TarHeader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace ambrin::tar {

namespace {

// Field offsets and sizes.
constexpr size_t kNameOffset = 0;
constexpr size_t kModeOffset = 100;
constexpr size_t kUidOffset = 108;
constexpr size_t kGidOffset = 116;
constexpr size_t kSizeOffset = 124;
constexpr size_t kSizeDigits = 11;
constexpr size_t kMtimeOffset = 136;
constexpr size_t kChecksumOffset = 148;
constexpr size_t kChecksumSize = 8;
constexpr size_t kChecksumDigits = 6;
constexpr size_t kTypeOffset = 156;
constexpr size_t kMagicOffset = 257;
constexpr char kMagic[] = "ustar  ";  // with its NUL: 8 bytes

bool isWhiteSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void put(Block& block, size_t offset, const void* bytes, size_t count) {
    std::memcpy(block.data() + offset, bytes, count);
}

}  // namespace

bool isZeroBlock(const Block& block) {
    return std::all_of(block.begin(), block.end(), [](unsigned char c) { return c == 0; });
}

int signedSum(const Block& block) {
    int sum = 0;
    for (size_t i = 0; i < kBlockSize; ++i) {
        const bool inChecksum = i >= kChecksumOffset && i < kChecksumOffset + kChecksumSize;
        sum += inChecksum ? ' ' : static_cast<signed char>(block[i]);
    }
    return sum;
}

bool parseOctal(const unsigned char* field, size_t count, std::uint64_t& value) {
    size_t i = 0;
    while (i < count && isWhiteSpace(field[i])) {
        ++i;
    }
    if (i == count) {
        return false;
    }
    value = 0;
    for (; i < count && field[i] >= '0' && field[i] <= '7'; ++i) {
        value = value * 8 + static_cast<std::uint64_t>(field[i] - '0');
    }
    return i == count || field[i] == '\0' || isWhiteSpace(field[i]);
}

bool hasMagic(const Block& block) {
    return std::memcmp(block.data() + kMagicOffset, kMagic, sizeof kMagic) == 0;
}

bool checksumMatches(const Block& block) {
    std::uint64_t stored = 0;
    if (!parseOctal(block.data() + kChecksumOffset, kChecksumDigits, stored)) {
        return false;
    }
    const int sum = signedSum(block);
    return sum >= 0 && stored == static_cast<std::uint64_t>(sum);
}

char typeFlag(const Block& block) {
    return static_cast<char>(block[kTypeOffset]);
}

std::string memberName(const Block& block) {
    const auto* begin = reinterpret_cast<const char*>(block.data() + kNameOffset);
    return std::string(begin, strnlen(begin, kNameSize));
}

bool memberSize(const Block& block, std::uint64_t& size) {
    return parseOctal(block.data() + kSizeOffset, kSizeDigits, size);
}

bool buildHeader(std::string_view name, std::uint64_t size, std::time_t mtime, Block& block) {
    if (name.size() > kMaxWrittenName || size > kMaxMemberSize) {
        return false;
    }
    block.fill(0);
    put(block, kNameOffset, name.data(), name.size());
    put(block, kModeOffset, "100644 ", 8);
    put(block, kUidOffset, "   764 ", 8);
    put(block, kGidOffset, "   144 ", 8);
    char number[32];
    std::snprintf(number, sizeof number, "%11llo ", static_cast<unsigned long long>(size));
    put(block, kSizeOffset, number, 12);
    std::snprintf(number, sizeof number, "%11lo ",
                  static_cast<unsigned long>(std::max<std::time_t>(mtime, 0)) & 077777777777UL);
    put(block, kMtimeOffset, number, 12);
    block[kTypeOffset] = static_cast<unsigned char>(kTypeFile);
    put(block, kMagicOffset, kMagic, sizeof kMagic);
    const int sum = signedSum(block);
    if (sum < 0) {
        return false;
    }
    std::snprintf(number, sizeof number, "%6o", static_cast<unsigned>(sum));
    put(block, kChecksumOffset, number, 6);
    block[kChecksumOffset + 6] = '\0';
    block[kChecksumOffset + 7] = ' ';
    return true;
}

}  // namespace ambrin::tar
