#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/StdioFile.h"

namespace ambrin {

// A four-character code of a RIFF file ("RIFF", "WAVE", "fmt ", "data"); only made from a
// literal of exactly four characters.
struct FourCc {
    char bytes[4];
    consteval FourCc(const char (&text)[5]) : bytes{text[0], text[1], text[2], text[3]} {}
};

// Writes a new RIFF file front to back through buffered stdio. A chunk is created with a
// provisional size in its header, filled, and ascended: ascending writes the chunk's true size
// into its header and adds the zero pad byte that an odd-sized chunk needs. Chunks nest; the
// outermost is the "RIFF" chunk with its form type.
//
// Sizes are taken from the file itself when a chunk is ascended, so bytes that never reached
// the disk (disk full) are not counted. The whole file stays below 4 GiB, the limit of the
// 32-bit size fields; a write that would cross it fails.
//
// Not thread safe: the owner calls it from one thread at a time.
class RiffWriter {
  public:
    RiffWriter() = default;
    ~RiffWriter();  // closes, as close() does
    RiffWriter(const RiffWriter&) = delete;
    RiffWriter& operator=(const RiffWriter&) = delete;

    // Creates the file; fails when it already exists or cannot be made (missing folder, no
    // permission) and when this writer already has a file open.
    bool create(const std::string& path);
    bool isOpen() const { return m_file != nullptr; }

    // Starts the outer "RIFF" chunk; its size field reads 0 until it is ascended.
    bool createRiff(FourCc formType);
    // Starts a chunk inside the current one; its size field holds `provisionalSize` until the
    // chunk is ascended.
    bool createChunk(FourCc id, std::uint32_t provisionalSize = 0);
    // Appends bytes to the innermost open chunk. False when not all of them were accepted.
    bool write(const void* data, std::size_t size);
    // Ends the innermost open chunk: pads it to an even size and writes its true size.
    bool ascend();
    // Hands the buffered bytes to the operating system.
    bool flush();
    // Writes into every open chunk's header the size it has now, as if it ended here, and hands
    // everything to the operating system; the chunks stay open. A program that dies afterwards
    // leaves a file that other programs read up to this point.
    bool refreshSizes();
    // Ascends every chunk still open and closes the file. True when all of it was written.
    // Does nothing (and succeeds) when no file is open.
    bool close();

  private:
    bool writeAt(std::uint64_t offset, const unsigned char* bytes, std::size_t size);
    bool syncEnd();

    StdioFile m_file;
    std::vector<std::uint64_t> m_openChunks;  // file offsets of the open chunks' headers
    std::uint64_t m_end = 0;                  // offset of the next byte to append
};

}  // namespace ambrin
