#pragma once

// Result codes of the streaming playback path, from the program-wide numbering (0 is success).
namespace ambrin::stream {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;          // anything not listed below; not a Vorbis stream
inline constexpr int kBeyondOverflow = 2;  // the block would wrap by more than the overflow area
inline constexpr int kNoRoom = 4;          // no contiguous room yet; a resize below the bytes held
inline constexpr int kAccessDenied = 6;
inline constexpr int kInvalidArgument = 7;
inline constexpr int kNotFound = 8;
inline constexpr int kTooManyFiles = 9;
inline constexpr int kReadingBegun = 11;  // a resize after a reader took bytes
inline constexpr int kNotConnected = 12;  // a stage whose buffers are missing
inline constexpr int kNotEnoughData = 14;
inline constexpr int kClosed = 17;
inline constexpr int kEndOfStream = 21;  // the end is marked and fewer bytes remain

}  // namespace ambrin::stream
