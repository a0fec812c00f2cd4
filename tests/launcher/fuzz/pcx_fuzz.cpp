// libFuzzer target: any bytes as the launcher's shape image. Reading must refuse or give an
// image whose every pixel can be asked for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "launcher/PcxImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto image = ambrin::launcher::PcxImage::read(data, size, &error);
    if (!image) {
        if (error.empty()) {
            std::abort();  // a refusal always says why
        }
        return 0;
    }
    if (image->width() <= 0 || image->height() <= 0 ||
        image->width() > ambrin::launcher::PcxImage::kMaxSide ||
        image->height() > ambrin::launcher::PcxImage::kMaxSide) {
        std::abort();
    }
    volatile int cut = 0;
    for (int y = -1; y <= image->height(); ++y) {
        for (int x = -1; x <= image->width(); ++x) {
            cut = cut + (image->bit(x, y) ? 1 : 0);
        }
    }
    return 0;
}
