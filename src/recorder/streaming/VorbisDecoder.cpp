#include "recorder/streaming/VorbisDecoder.h"

#include <cerrno>
#include <cstring>

#include "core/EngineEvent.h"
#include "platform/StringIds.h"
#include "platform/TextHelpers.h"
#include "recorder/streaming/FileSource.h"
#include "recorder/streaming/StreamInfoEvent.h"
#include "recorder/streaming/StreamResult.h"

namespace ambrin {

VorbisDecoder::VorbisDecoder(StreamNotifier& notifier) : Stage(notifier) {}

VorbisDecoder::~VorbisDecoder() {
    shutdown();
}

ByteBuffer& VorbisDecoder::connect(FileSource& source) {
    m_source = &source;
    return m_output;
}

void VorbisDecoder::wakeWaits() {
    if (m_source != nullptr) {
        m_source->output().wake();
    }
    m_output.wake();
}

std::size_t VorbisDecoder::readInput(void* target, std::size_t size, std::size_t count,
                                     void* self) {
    return static_cast<VorbisDecoder*>(self)->read(target, size * count);
}

int VorbisDecoder::seekInput(void* self, ogg_int64_t offset, int origin) {
    return static_cast<VorbisDecoder*>(self)->m_source->seek(offset, origin);
}

long VorbisDecoder::tellInput(void* self) {
    return static_cast<long>(static_cast<VorbisDecoder*>(self)->m_source->tell());
}

// libvorbisfile's read callback, on the decoder's thread: blocks until the source has bytes.
// Like fread it returns 0 at the end with errno 0, and 0 with errno set on a failure; a hold
// or the stop counts as a failure, which the decoding loop then recognises as its own.
std::size_t VorbisDecoder::read(void* target, std::size_t bytes) {
    ByteBuffer& input = m_source->output();
    for (;;) {
        const std::uint64_t seen = input.changes();
        if (m_opening ? stopping() : interrupted()) {
            m_readInterrupted = true;
            errno = EINTR;
            return 0;
        }
        const ByteBuffer::Block block = input.requestSome(bytes);
        if (block.code == StreamResult::Done) {
            std::memcpy(target, block.data, block.size);
            input.release(block.size);
            return block.size;
        }
        if (block.code == StreamResult::EndOfStream) {
            errno = 0;
            return 0;
        }
        if (block.code != StreamResult::NotEnoughData) {
            errno = EIO;
            return 0;
        }
        input.waitForChange(seen);
    }
}

StreamResult VorbisDecoder::openStream() {
    if (m_source == nullptr) {
        return StreamResult::NotConnected;
    }
    const ov_callbacks callbacks{readInput, seekInput, nullptr, tellInput};
    auto file = std::make_unique<OggVorbis_File>();
    m_opening = true;
    const int result = ov_open_callbacks(this, file.get(), nullptr, 0, callbacks);
    m_opening = false;
    if (result < 0) {
        return StreamResult::Failed;  // the library has already cleared the structure
    }
    m_vorbis.reset(file.release());
    const vorbis_info* info = ov_info(m_vorbis.get(), -1);
    m_channels = info->channels;
    m_rate = info->rate;
    // Nothing has been read from the output yet; a failure only leaves the smaller ring.
    m_output.resize(kOpenedRing, kOpenedOverflow);
    return StreamResult::Done;
}

void VorbisDecoder::seekTo(Tenths position) {
    std::lock_guard lock(m_seekMutex);
    m_pendingSeek = position.count();
}

void VorbisDecoder::run() {
    if (!waitForStart()) {
        return;
    }
    if (!m_vorbis) {
        if (openStream() != StreamResult::Done) {
            if (!stopping()) {
                notifier().fail(str::kDecoderInitFailed);
            }
            while (!stopping()) {
                idle();
            }
            return;
        }
    }
    postOpened();
    decode();
}

void VorbisDecoder::postOpened() {
    const vorbis_info* info = ov_info(m_vorbis.get(), -1);
    double length = ov_time_total(m_vorbis.get(), -1);
    if (length < 0) {
        length = 0;  // a stream that cannot seek has no known length
    }
    long bitRate = info->bitrate_nominal;
    if (bitRate <= 0) {
        bitRate = ov_bitrate(m_vorbis.get(), -1);
    }
    // The engine's notice holds the length in single precision and the path in its text size.
    auto opened = std::make_unique<FileOpenedEvent>(
        static_cast<float>(length), cutToBytes(m_source->path(), kTextCapacity - 1));
    opened->events.push_back(
        std::make_unique<StreamInfoEvent>(bitRate, info->rate, info->channels));
    notifier().post(std::move(opened));
}

void VorbisDecoder::addFormat(int link) {
    const vorbis_info* info = ov_info(m_vorbis.get(), link);
    StreamItem item;
    item.kind = StreamItem::Kind::Format;
    item.offset = m_output.written();
    item.bits = 16;
    item.channels = info->channels;
    item.rate = static_cast<std::uint32_t>(info->rate);
    item.bufferSize = kDeviceBufferSize;
    item.tenthRate = static_cast<std::uint32_t>(info->rate / 10);
    m_channels = info->channels;
    m_rate = info->rate;
    m_items.add(item);
}

void VorbisDecoder::addTime() {
    StreamItem item;
    item.kind = StreamItem::Kind::Time;
    item.offset = m_output.written();
    item.tenths = m_tenths;
    m_items.add(item);
}

bool VorbisDecoder::applySeek(std::int64_t tenths, bool& atEnd) {
    OggVorbis_File* vorbis = m_vorbis.get();
    atEnd = false;
    if (!ov_seekable(vorbis)) {
        return true;  // standard input: playing goes on from where it is
    }
    const std::int64_t seconds = tenths < 0 ? 0 : tenths / 10;
    const double length = ov_time_total(vorbis, -1);
    if (length >= 0 && static_cast<double>(seconds) >= length) {
        atEnd = true;
    } else {
        m_readInterrupted = false;
        if (ov_time_seek(vorbis, static_cast<double>(seconds)) < 0) {
            return m_readInterrupted;  // a hold came in: a newer seek follows it
        }
    }
    m_tenths = seconds * 10;
    return true;
}

void VorbisDecoder::decode() {
    OggVorbis_File* vorbis = m_vorbis.get();
    bool formatDue = true;  // before the first audio, and after every seek
    bool timeDue = true;
    bool done = false;  // the end is marked or decoding failed: wait for a seek
    int link = -1;
    std::size_t carry = 0;  // bytes decoded short of a whole tenth
    int chunks = 0;
    while (checkpoint()) {
        std::optional<std::int64_t> seek;
        {
            std::lock_guard lock(m_seekMutex);
            seek.swap(m_pendingSeek);
        }
        if (seek) {
            bool atEnd = false;
            if (!applySeek(*seek, atEnd)) {
                notifier().fail(str::kDecodeFailed);
            }
            formatDue = true;
            timeDue = true;
            carry = 0;
            done = false;
            if (atEnd) {
                addTime();
                m_output.markEnd();
                done = true;
            }
        }
        if (done || notifier().failed()) {
            idle();
            continue;
        }
        if (timeDue) {
            addTime();
            timeDue = false;
        }
        const std::uint64_t seen = m_output.changes();
        if (interrupted()) {
            continue;
        }
        const ByteBuffer::Block room = m_output.reserve(kChunkSize);
        if (room.code == StreamResult::NoRoom) {
            m_output.waitForChange(seen);
            continue;
        }
        if (room.code != StreamResult::Done) {
            if (!stopping()) {
                notifier().fail(str::kDecodeFailed);
            }
            done = true;
            continue;
        }
        m_readInterrupted = false;
        int current = -1;
        const long decoded = ov_read(vorbis, reinterpret_cast<char*>(room.data),
                                     static_cast<int>(kChunkSize), 0, 2, 1, &current);
        if (decoded < 0) {
            m_output.commit(0);
            if (!m_readInterrupted) {
                // Damage or a gap in the stream: the user hears the break as the end.
                notifier().fail(str::kDecodeFailed);
                done = true;
            }
            continue;
        }
        if (decoded > 0 && (formatDue || current != link)) {
            addFormat(current);  // a new logical stream: its format goes before its audio
            link = current;
            formatDue = false;
        }
        m_output.commit(static_cast<std::size_t>(decoded));
        if (decoded == 0) {
            m_output.markEnd();
            done = true;
            continue;
        }
        const std::size_t tenthBytes =
            static_cast<std::size_t>(m_rate / 10) * static_cast<std::size_t>(m_channels) * 2;
        carry += static_cast<std::size_t>(decoded);
        if (tenthBytes > 0) {
            m_tenths += static_cast<std::int64_t>(carry / tenthBytes);
            carry %= tenthBytes;
        }
        timeDue = true;
        if (m_streamInfo && ++chunks % kInfoEveryChunks == 0) {
            long bitRate = ov_bitrate_instant(vorbis);
            if (bitRate <= 0) {
                bitRate = ov_info(vorbis, -1)->bitrate_nominal;
            }
            notifier().post(std::make_unique<StreamInfoEvent>(bitRate, m_rate, m_channels));
        }
    }
}

}  // namespace ambrin
