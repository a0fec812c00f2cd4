#pragma once

#include <vorbis/vorbisfile.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "core/EngineParts.h"
#include "recorder/streaming/ByteBuffer.h"
#include "recorder/streaming/Stage.h"
#include "recorder/streaming/StreamItemQueue.h"

namespace ambrin {

class FileSource;

// The second stage: decodes the Vorbis stream it reads from the source's buffer (through
// libvorbisfile's callbacks) into 16-bit signed little-endian PCM in its output buffer
// ("Output"), with format and time items in the item queue for the renderer.
//
// Threads: connect on the player's thread; seekTo on the player's thread while the decoder is
// held; the decoding (and the opening of the stream) on the decoder's own thread.
class VorbisDecoder : public Stage {
  public:
    static constexpr std::size_t kChunkSize = 8192;
    static constexpr int kInfoEveryChunks = 30;
    static constexpr std::size_t kCreatedRing = 64512;
    static constexpr std::size_t kOpenedRing = 524288;
    static constexpr std::size_t kOpenedOverflow = 87381;
    static constexpr std::size_t kDeviceBufferSize = 16384;  // the renderer's buffers

    explicit VorbisDecoder(StreamNotifier& notifier);
    ~VorbisDecoder() override;

    // Links the decoder to its source; returns its output buffer (for the renderer).
    ByteBuffer& connect(FileSource& source);
    ByteBuffer& output() { return m_output; }
    StreamItemQueue& items() { return m_items; }

    // Opens the Vorbis stream: 0, 12 no source connected, 1 not a Vorbis stream. Then the
    // output buffer grows to its playing size. Runs on the decoder's thread when it starts.
    StreamResult openStream();
    // The next chunk comes from `tenths` (tenths of a second), counted from there. Only while
    // the decoder is held; the decoder's output must be rewound with it.
    void seekTo(Tenths position);

  protected:
    void run() override;
    void wakeWaits() override;

  private:
    struct VorbisCloser {
        void operator()(OggVorbis_File* file) const {
            ov_clear(file);
            delete file;
        }
    };

    static std::size_t readInput(void* target, std::size_t size, std::size_t count, void* self);
    static int seekInput(void* self, ogg_int64_t offset, int origin);
    static long tellInput(void* self);
    std::size_t read(void* target, std::size_t bytes);

    void postOpened();
    void decode();
    void addFormat(int link);
    void addTime();
    // Carries out a pending seek. False when it failed for another reason than a hold.
    bool applySeek(std::int64_t tenths, bool& atEnd);

    FileSource* m_source = nullptr;
    ByteBuffer m_output{kCreatedRing, 0, "Output"};
    StreamItemQueue m_items;
    std::unique_ptr<OggVorbis_File, VorbisCloser> m_vorbis;  // decoder's thread once opened
    int m_channels = 0;
    long m_rate = 0;
    bool m_streamInfo = true;        // post stream information every kInfoEveryChunks chunks
    std::int64_t m_tenths = 0;       // position of the next chunk
    bool m_opening = false;          // the open is not interrupted by holds, only by the stop
    bool m_readInterrupted = false;  // a read gave up for a hold or the stop

    std::mutex m_seekMutex;  // guards m_pendingSeek
    std::optional<std::int64_t> m_pendingSeek;
};

}  // namespace ambrin
