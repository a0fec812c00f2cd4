#pragma once

// Result codes of the skin reader, the skin packages and the skin manager, from the
// program-wide numbering. 0 is success; callers turn the others into messages.
namespace ambrin::skin {

inline constexpr int kOk = 0;
inline constexpr int kTempFolderFailed = 2;  // no unpack folder; also "no usable skin"
inline constexpr int kCreateFailed = 6;      // the package could not be created for writing
inline constexpr int kOpenFailed = 8;        // package, member or file could not be opened
inline constexpr int kBadArchive = 14;       // bad tar header or member name, or zip failure
inline constexpr int kParseFailed = 23;      // description syntax error or handler stop
inline constexpr int kWriteFailed = 25;
inline constexpr int kReadFailed = 26;  // a read failed or came short
inline constexpr int kDeleteFailed = 27;
inline constexpr int kCopyFailed = 28;  // a package could not be copied into place

}  // namespace ambrin::skin
