#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// The 512-byte member header of skin packages: the old GNU layout with the magic "ustar",
// two spaces and a NUL, and a checksum that sums the header's bytes as signed values.
namespace ambrin::tar {

inline constexpr size_t kBlockSize = 512;
using Block = std::array<unsigned char, kBlockSize>;

inline constexpr size_t kNameSize = 100;
inline constexpr size_t kMaxWrittenName = 99;  // the writer keeps a terminating NUL
inline constexpr char kTypeFile = '0';
inline constexpr char kTypeOldFile = '\0';
inline constexpr char kTypeFolder = '5';
// The largest size the 11 octal digits of the size field hold.
inline constexpr std::uint64_t kMaxMemberSize = 077777777777ULL;

// Zero bytes after a member's data: 512 - size mod 512, so a member of whole blocks (size 0
// included) is followed by a whole zero block. The packages have always been laid out so.
inline constexpr std::uint64_t paddingAfter(std::uint64_t size) {
    return kBlockSize - size % kBlockSize;
}

bool isZeroBlock(const Block& block);

// Sum of the 512 bytes as signed 8-bit values, with the checksum field counted as eight
// spaces.
int signedSum(const Block& block);

// An octal field of `count` characters: leading white space (each character uses up one of
// the count; nothing but white space is invalid), then digits 0-7 until the count is used
// up or another character comes, which must be NUL or white space.
bool parseOctal(const unsigned char* field, size_t count, std::uint64_t& value);

// Checks of a read header.
bool hasMagic(const Block& block);
bool checksumMatches(const Block& block);
char typeFlag(const Block& block);
std::string memberName(const Block& block);  // up to the first NUL, at most 100 bytes
bool memberSize(const Block& block, std::uint64_t& size);

// The header the package writer puts before a member. False when the name is longer than
// 99 bytes, the size does not fit, or the signed checksum would be negative (a long name of
// bytes 0x80 and above), which the six octal digits cannot carry.
bool buildHeader(std::string_view name, std::uint64_t size, std::time_t mtime, Block& block);

}  // namespace ambrin::tar
