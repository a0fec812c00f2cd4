#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRegion>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace ambrin {

// One bitmap of a skin ("OBITMAPRES"): the image as loaded (BMP or PNG), its transparent
// colour and mask, and the image to draw at twice the size when the package carries
// "name@2x.ext" beside "name.ext". Immutable once loaded; shared by the windows that draw
// from it, so any thread may read it.
class BitmapResource {
  public:
    // Loads `path` and, when present and exactly twice as large, its "@2x" sibling. An
    // unreadable file, an unknown format or an image above the size limits gives nothing.
    static std::optional<BitmapResource> load(const std::string& name, const std::string& path,
                                              std::optional<QColor> transparent);

    const std::string& name() const { return m_name; }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    int depth() const { return m_depth; }
    bool hasTransparency() const { return m_transparent.has_value(); }
    bool hasDoubleSize() const { return m_double != nullptr; }
    // The image as loaded, as 32-bit RGB.
    const QImage& image() const { return m_image; }
    // True where the pixel is the transparent colour (false everywhere without one).
    bool masked(int x, int y) const;

    // Every run of opaque pixels of `area`, row by row, as one-pixel-high rectangles united,
    // moved so that the area's top-left is the origin. The whole area without a
    // transparent colour.
    QRegion opaqueRegion(const QRect& area) const;

    // Draws the `source` rectangle (1x pixels) into `target` (logical pixels of a painter
    // whose device may be at scale 2). Transparent pixels leave the target as it was unless
    // `opaque` is set. At scale 2 the "@2x" image is used when there is one, else the 1x
    // pixels are doubled without smoothing.
    void draw(QPainter& painter, const QRect& target, const QRect& source, bool opaque,
              int scale) const;

  private:
    // The "@2x" file as read from the package, decoded on the first draw at scale 2 (the
    // package's files are gone by then; most screens never need it).
    struct DoubleSize {
        QByteArray file;
        std::once_flag decoded;
        QImage image;  // premultiplied, masked from the 1x mask; null when unusable
    };
    const QImage& doubleImage() const;

    std::string m_name;
    QImage m_image;  // RGB32
    QImage m_drawn;  // premultiplied ARGB with the masked pixels clear (transparent only)
    std::shared_ptr<DoubleSize> m_double;  // none without an "@2x" file
    int m_depth = 0;
    std::optional<QColor> m_transparent;
    std::vector<unsigned char> m_mask;  // one byte a pixel, 1 where transparent; empty without
};

}  // namespace ambrin
