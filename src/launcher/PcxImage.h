#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ambrin::launcher {

// A one-bit ZSoft PCX image as the launcher's shape image uses it: manufacturer byte 10,
// run-length encoding, 1 bit per pixel, 1 plane. The file is untrusted input: every size
// is checked against the data before anything is allocated, and a file that is not such
// an image, or ends early, is refused with a reason.
//
// Layout: a 128-byte little-endian header (manufacturer, version, encoding, bits per pixel,
// xmin, ymin, xmax, ymax, ..., planes at 65, bytes per line at 66), then the scan lines
// run-length encoded as one stream: a byte with its two top bits set repeats the next byte
// (its low six bits) times, any other byte stands for itself. The most significant bit of a
// byte is the leftmost pixel.
class PcxImage {
  public:
    static constexpr std::size_t kHeaderSize = 128;
    static constexpr int kMaxSide = 8192;

    static std::optional<PcxImage> read(const std::uint8_t* data, std::size_t size,
                                        std::string* error = nullptr);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // The pixel's bit; 1 means the pixel is cut out of the window. False outside the image.
    bool bit(int x, int y) const;

  private:
    PcxImage(int width, int height, int stride, std::vector<std::uint8_t> rows)
        : m_width(width), m_height(height), m_stride(stride), m_rows(std::move(rows)) {}

    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;  // bytes per scan line, at least (width + 7) / 8
    std::vector<std::uint8_t> m_rows;
};

}  // namespace ambrin::launcher
