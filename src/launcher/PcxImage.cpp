#include "launcher/PcxImage.h"

namespace ambrin::launcher {

namespace {

constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kRunLength = 1;
// One run (two bytes) gives at most 63 bytes.
constexpr std::size_t kMaxRun = 0x3F;

std::uint16_t word(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::optional<PcxImage> refuse(std::string* error, const char* reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return std::nullopt;
}

}  // namespace

std::optional<PcxImage> PcxImage::read(const std::uint8_t* data, std::size_t size,
                                       std::string* error) {
    if (data == nullptr || size < kHeaderSize) {
        return refuse(error, "shorter than a PCX header");
    }
    if (data[0] != kManufacturer) {
        return refuse(error, "not a PCX image (manufacturer byte is not 10)");
    }
    if (data[2] != kRunLength) {
        return refuse(error, "not run-length encoded");
    }
    if (data[3] != 1 || data[65] != 1) {
        return refuse(error, "not a one-bit image with one plane");
    }
    const int xMin = word(data + 4);
    const int yMin = word(data + 6);
    const int xMax = word(data + 8);
    const int yMax = word(data + 10);
    const int stride = word(data + 66);
    if (xMax < xMin || yMax < yMin) {
        return refuse(error, "the image has no pixels");
    }
    const int width = xMax - xMin + 1;
    const int height = yMax - yMin + 1;
    if (width > kMaxSide || height > kMaxSide) {
        return refuse(error, "the image is too large");
    }
    if (stride < (width + 7) / 8) {
        return refuse(error, "scan lines are shorter than the image is wide");
    }
    const std::size_t total = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    const std::size_t encoded = size - kHeaderSize;
    if (total > (encoded / 2 + 1) * kMaxRun) {
        return refuse(error, "the image data ends early");
    }

    std::vector<std::uint8_t> rows(total);
    std::size_t out = 0;
    std::size_t in = kHeaderSize;
    while (out < total) {
        if (in >= size) {
            return refuse(error, "the image data ends early");
        }
        const std::uint8_t byte = data[in++];
        if ((byte & 0xC0) != 0xC0) {
            rows[out++] = byte;
            continue;
        }
        if (in >= size) {
            return refuse(error, "the image data ends early");
        }
        const std::uint8_t value = data[in++];
        // Encoders may run on across the end of a line; a run past the last line is cut.
        for (std::size_t n = byte & kMaxRun; n > 0 && out < total; --n) {
            rows[out++] = value;
        }
    }
    return PcxImage(width, height, stride, std::move(rows));
}

bool PcxImage::bit(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return false;
    }
    const std::uint8_t byte =
        m_rows[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_stride) +
               static_cast<std::size_t>(x / 8)];
    return ((byte >> (7 - x % 8)) & 1) != 0;
}

}  // namespace ambrin::launcher
