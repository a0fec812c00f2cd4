#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codec/Mp3Encoder.h"
#include "codec/RecordingSink.h"
#include "platform/StdioFile.h"

namespace ambrin {

// The sink of MP3 recordings: the captured audio (always 8000 Hz 16-bit mono, whatever rate
// the recording's format declares) encoded by one Mp3Encoder stream into a file of bare MPEG
// audio frames, mono, at the chosen constant bit rate (8 to 320 kbit/s): no ID3 tag, no VBR or
// information header. The declared rate picks the output rate within the bit rate's MPEG
// version (Mp3Encoder::outputSampleRate).
//
// Threads: open(), close() and the destructor run on the event thread, write() on the capture
// thread; the recorder's lock keeps them apart, so the sink has no lock of its own.
class Mp3Sink final : public RecordingSink {
  public:
    // Bytes of encoded output that one encoder call may produce.
    static constexpr std::size_t kOutputAreaBytes = 32000;

    // Keeps the settings; nothing is opened yet. `library` may be null (no encoder installed):
    // open() then fails.
    Mp3Sink(std::shared_ptr<Mp3Library> library, int bitRateKbps, std::uint32_t declaredSampleRate);
    ~Mp3Sink() override;
    Mp3Sink(const Mp3Sink&) = delete;
    Mp3Sink& operator=(const Mp3Sink&) = delete;

    // Creates the file (it must not exist yet) and opens the encoder stream. False without a
    // library, when the file cannot be created or the encoder refuses its settings (a file
    // made here is then removed), and when this sink was opened before.
    bool open(const std::string& path);

    // Encodes the samples and appends the frames that are complete. Large blocks are encoded
    // in pieces of one capture buffer. False when no file is open or `samples` is null, when
    // the encoder fails, or when not every byte could be written (disk full).
    bool write(const std::int16_t* samples, std::size_t byteCount) override;

    // Flushes the encoder (the last frames, padded) into the file and closes it. A second
    // close does nothing.
    void close() override;
    // Hands the pages (frames) written so far to the system.
    bool checkpoint() override { return m_file && std::fflush(m_file.get()) == 0; }

  private:
    bool append(int byteCount);

    int m_bitRateKbps;
    std::uint32_t m_declaredSampleRate;
    bool m_used = false;
    // Declared before the file: the destructor closes the file, then the encoder goes.
    Mp3Encoder m_encoder;
    StdioFile m_file;
    std::vector<unsigned char> m_output;    // the output area, kOutputAreaBytes
    std::vector<std::int16_t> m_hostOrder;  // samples swapped on big-endian hosts
};

}  // namespace ambrin
