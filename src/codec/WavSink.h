#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/RecordingSink.h"
#include "codec/RiffWriter.h"

namespace ambrin {

// The sink of WAVE recordings: a PCM WAVE file that declares the format given at creation and
// holds the captured bytes exactly as received.
//
// Layout (integers little-endian):
//   0 "RIFF", 4 file size - 8, 8 "WAVE",
//   12 "fmt ", 16 size 18, 20 the 18-byte format record: tag 1, channels, sample rate,
//      bytes per second, block alignment, bits per sample, extra size 0,
//   38 "data", 42 data size, 46 the samples.
// While the recording runs the RIFF size reads 0 and the data size 18; close() writes the
// true sizes (an odd data size gets a zero pad byte, counted in the RIFF size).
//
// Threads: open(), close() and the destructor run on the event thread, write() on the capture
// thread; the recorder's lock keeps them apart, so the sink has no lock of its own.
class WavSink final : public RecordingSink {
  public:
    // Keeps the format to declare; no file yet. `reserved` is always 0 and not used.
    WavSink(std::uint16_t channels, std::uint16_t bitsPerSample, std::uint32_t sampleRate,
            std::uint16_t reserved = 0);
    ~WavSink() override;
    WavSink(const WavSink&) = delete;
    WavSink& operator=(const WavSink&) = delete;

    // Creates the file (it must not exist yet), writes the header and leaves the data chunk
    // open. The header is flushed at once, so an unfinished file is recognisable. False when
    // the file cannot be created or the header cannot be written (the file is then removed),
    // and when this sink already has a file open.
    bool open(const std::string& path);
    bool isOpen() const { return m_riff.isOpen(); }

    // Appends the bytes to the data chunk; buffered, never waits for the disk beyond one
    // write of the stdio buffer. False when no file is open, `samples` is null, or not every
    // byte could be written (disk full).
    bool write(const std::int16_t* samples, std::size_t byteCount) override;

    // Writes the true sizes and closes the file. Does nothing when no file is open.
    void close() override;
    // Writes the sizes so far into the header and flushes; the data chunk stays open.
    bool checkpoint() override { return m_riff.refreshSizes(); }

  private:
    std::uint16_t m_channels;
    std::uint16_t m_bitsPerSample;
    std::uint32_t m_sampleRate;
    RiffWriter m_riff;
};

}  // namespace ambrin
