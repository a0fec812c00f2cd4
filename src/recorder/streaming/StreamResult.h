#pragma once

namespace ambrin {

// Result codes of the streaming playback path, from the program-wide numbering.
enum class StreamResult : int {
    Done = 0,
    Failed = 1,          // anything not listed below; not a Vorbis stream
    BeyondOverflow = 2,  // the block would wrap by more than the overflow area
    NoRoom = 4,          // no contiguous room yet; a resize below the bytes held
    AccessDenied = 6,
    InvalidArgument = 7,
    NotFound = 8,
    TooManyFiles = 9,
    ReadingBegun = 11,  // a resize after a reader took bytes
    NotConnected = 12,  // a stage whose buffers are missing
    NotEnoughData = 14,
    Closed = 17,
    EndOfStream = 21,  // the end is marked and fewer bytes remain
};

}  // namespace ambrin
