#pragma once

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/ClearedState.h"
#include "codec/RecordingSink.h"
#include "platform/StdioFile.h"

namespace ambrin {

// The sink of OGG recordings: the captured audio encoded with libvorbis into one Ogg Vorbis
// stream, always 1 channel at 8000 Hz (the format a recording declares does not matter here),
// variable bit rate at quality 0.0, with one comment "ENCODER=TAVIX OGG Encoder" besides the
// library's vendor string.
//
// The stream's serial number is the first value of the C library's generator, seeded with the
// current time in seconds when the sink is made: two sinks made in the same second share it.
// The three header packets (identification, comment, codebooks) get a page each, ahead of the
// audio. After that a page reaches the file only when libogg reports it full, so the file lags
// the capture by up to one page until close() writes the rest and the end-of-stream page.
//
// Threads: made, opened, closed and destroyed on the event thread, written on the capture
// thread; the recorder's lock keeps them apart, so the sink has no lock of its own.
class OggSink final : public RecordingSink {
  public:
    static constexpr long kChannels = 1;
    static constexpr long kSampleRate = 8000;
    static constexpr float kQuality = 0.0f;
    static constexpr const char* kEncoderTag = "ENCODER";
    static constexpr const char* kEncoderName = "TAVIX OGG Encoder";

    // Sets up the encoder and prepares the header pages; valid() tells whether libvorbis
    // accepted the set-up.
    OggSink();
    ~OggSink() override;  // finishes an open file as close() does
    OggSink(const OggSink&) = delete;
    OggSink& operator=(const OggSink&) = delete;

    bool valid() const { return m_ready; }
    int serialNumber() const { return m_serialNumber; }

    // Creates the file (it must not exist yet) and writes the header pages, flushed to the
    // disk. False when the encoder set-up failed (no file is made), when the file cannot be
    // created or the headers cannot be written (a file made here is then removed), and when
    // this sink was opened before.
    bool open(const std::string& path);

    // Encodes byteCount / 2 samples and writes the pages that are full. An empty write does
    // nothing. False when no file is open, `samples` is null, or a page could not be written
    // completely (disk full); encoding goes on regardless.
    bool write(const std::int16_t* samples, std::size_t byteCount) override;

    // Ends the stream (the samples still held are encoded, the last page carries the end
    // mark) and closes the file. A second close does nothing.
    void close() override;
    // Closes the current page early and hands every page so far to the system. At telephone
    // rates a page otherwise fills only every half minute or so, all of which a crash would lose.
    bool checkpoint() override;

  private:
    bool setUp();
    // Runs the analysis on what the encoder holds and writes every page that is complete.
    bool drain();
    bool writePage(const ogg_page& page);
    void writeEmptyEndPage();

    // Declared in set-up order, so they are released in the reverse: stream, block, DSP
    // state, comment, information.
    ClearedState<vorbis_info, vorbis_info_clear> m_info;
    ClearedState<vorbis_comment, vorbis_comment_clear> m_comment;
    ClearedState<vorbis_dsp_state, vorbis_dsp_clear> m_dsp;
    ClearedState<vorbis_block, vorbis_block_clear> m_block;
    ClearedState<ogg_stream_state, ogg_stream_clear> m_stream;

    bool m_ready = false;
    bool m_used = false;
    int m_serialNumber = 0;
    std::uint64_t m_samples = 0;  // handed to the encoder so far
    std::string m_headerPages;    // the header pages' bytes, written by open()
    StdioFile m_file;
};

}  // namespace ambrin
