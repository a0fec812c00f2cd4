#pragma once

#include <cstdio>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

namespace ambrin {

// A Vorbis decoder (libvorbisfile) reading a stdio stream, cleared when it goes. The caller
// keeps owning the stream, opened or not, and it must outlive the decoder.
class StdioVorbisFile {
  public:
    StdioVorbisFile() = default;
    ~StdioVorbisFile();
    StdioVorbisFile(const StdioVorbisFile&) = delete;
    StdioVorbisFile& operator=(const StdioVorbisFile&) = delete;

    // False when the stream holds no Vorbis stream.
    bool open(std::FILE* source);
    bool isOpen() const { return m_open; }
    OggVorbis_File* get() { return &m_file; }

  private:
    OggVorbis_File m_file{};
    bool m_open = false;
};

}  // namespace ambrin
