#pragma once

#include <cstddef>
#include <cstdint>

namespace ambrin {

// Where a recording's audio goes: one implementation per file format. The recorder installs
// a sink when a recording starts and removes it when the recording ends.
//
// write() is called on the capture thread with each captured buffer exactly as captured
// (normally 4096 bytes of signed 16-bit little-endian mono samples at 8000 Hz), in capture
// order; it must finish well within the 256 ms that a buffer lasts and never wait for a
// window or a lock held by the user interface. close() and the destructor run on the event
// thread once the recorder no longer calls write().
class RecordingSink {
  public:
    virtual ~RecordingSink() = default;
    // Appends the bytes; false when they could not be written.
    virtual bool write(const std::int16_t* samples, std::size_t byteCount) = 0;
    // Finishes the file. A second close does nothing.
    virtual void close() = 0;
    // Called on the capture thread every few seconds of a recording: brings the file into a
    // state other programs can read (sizes in the header, buffers handed to the system), so a
    // program that dies loses at most the audio since. False when that failed.
    virtual bool checkpoint() { return true; }
};

}  // namespace ambrin
