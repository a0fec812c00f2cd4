#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "platform/StdioFile.h"
#include "recorder/streaming/ByteBuffer.h"
#include "recorder/streaming/Stage.h"

namespace ambrin {

// The first stage: reads the file in blocks of 8192 bytes into its output buffer (the
// decoder's input, "Input") and marks the end of the stream after the last, short block.
//
// Threads: open and the accessors on the player's thread before launch; seek and tell on the
// decoder's thread (its reading callbacks); the reading loop on the source's own thread. The
// file mutex keeps a seek out of the middle of a block.
class FileSource : public Stage {
  public:
    static constexpr std::size_t kBlockSize = 8192;
    static constexpr std::size_t kOutputRing = 65536;
    static constexpr std::size_t kOutputOverflow = 16384;

    explicit FileSource(StreamNotifier& notifier);
    ~FileSource() override;

    // Opens `path` for binary reading; "-" is standard input. 0, or by the system's error:
    // 8 not found, 6 access denied (also a folder), 7 invalid argument, 9 too many open files,
    // 1 anything else.
    StreamResult open(const std::string& path);
    const std::string& path() const { return m_path; }
    // The decoder's input.
    ByteBuffer& output() { return m_output; }
    // Bytes in the file; -1 when it cannot be told (standard input).
    std::int64_t length() const { return m_length; }

    // Moves the reading position as fseek does (SEEK_SET, SEEK_CUR, SEEK_END, counted in the
    // bytes the reader sees) and empties the output buffer so that it refills from there.
    // 0, or -1 when the source cannot seek.
    int seek(std::int64_t offset, int origin);
    // The reader's position: the file position less the bytes still buffered.
    std::int64_t tell();

  protected:
    void run() override;
    void wakeWaits() override { m_output.wake(); }

  private:
    ByteBuffer m_output{kOutputRing, kOutputOverflow, "Input"};
    std::string m_path;
    std::mutex m_fileMutex;  // guards m_file's position and m_position
    StdioFile m_file;
    std::int64_t m_position = 0;  // where the next read starts
    std::int64_t m_length = -1;
    bool m_seekable = false;
};

}  // namespace ambrin
