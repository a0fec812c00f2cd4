#include "skin/BitmapResource.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <vector>

namespace ambrin {

namespace {

// Large enough for any skin on any screen; a header asking for more is refused before
// anything is decoded.
constexpr int kMaxSide = 8192;
constexpr qint64 kMaxPixels = 16LL * 1024 * 1024;

QImage readImage(QImageReader& reader) {
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxSide || size.height() > kMaxSide ||
        qint64{size.width()} * size.height() > kMaxPixels) {
        return {};
    }
    QImage image;
    if (!reader.read(&image) || image.size() != size) {
        return {};
    }
    return image;
}

QImage readImage(const QString& path) {
    QImageReader reader(path);
    return readImage(reader);
}

QString doubleSizePath(const QString& path) {
    const int slash = path.lastIndexOf('/');
    const int dot = path.lastIndexOf('.');
    if (dot <= slash) {
        return path + "@2x";
    }
    return path.left(dot) + "@2x" + path.mid(dot);
}

}  // namespace

std::optional<BitmapResource> BitmapResource::load(const std::string& name, const std::string& path,
                                                   std::optional<QColor> transparent) {
    const QString file = QString::fromStdString(path);
    QImage loaded = readImage(file);
    if (loaded.isNull()) {
        return std::nullopt;
    }
    BitmapResource bitmap;
    bitmap.m_name = name;
    bitmap.m_depth = loaded.depth();
    bitmap.m_image = loaded.convertToFormat(QImage::Format_RGB32);
    bitmap.m_transparent = transparent;
    if (transparent) {
        const int width = bitmap.m_image.width();
        const int height = bitmap.m_image.height();
        bitmap.m_mask.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        QImage drawn = bitmap.m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QRgb key = transparent->rgb() & 0xFFFFFF;
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(drawn.scanLine(y));
            unsigned char* mask =
                bitmap.m_mask.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
            for (int x = 0; x < width; ++x) {
                if ((row[x] & 0xFFFFFF) == key) {
                    row[x] = 0;
                    mask[x] = 1;
                }
            }
        }
        bitmap.m_drawn = drawn;
    }

    QFile twice(doubleSizePath(file));
    if (twice.open(QIODevice::ReadOnly) && twice.size() <= kMaxPixels * 4) {
        bitmap.m_double = std::make_shared<DoubleSize>();
        bitmap.m_double->file = twice.readAll();
    }
    return bitmap;
}

const QImage& BitmapResource::doubleImage() const {
    DoubleSize& large = *m_double;
    std::call_once(large.decoded, [this, &large] {
        QBuffer buffer(&large.file);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        QImage twice = readImage(reader);
        large.file.clear();
        if (twice.isNull() || twice.size() != m_image.size() * 2) {
            return;
        }
        twice = twice.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (!m_mask.empty()) {
            // The shape comes from the 1x mask; the large image follows it exactly.
            const size_t width = static_cast<size_t>(m_image.width());
            for (int y = 0; y < twice.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(twice.scanLine(y));
                const unsigned char* mask = m_mask.data() + static_cast<size_t>(y / 2) * width;
                for (int x = 0; x < twice.width(); ++x) {
                    if (mask[x / 2] != 0) {
                        row[x] = 0;
                    }
                }
            }
        }
        large.image = twice;
    });
    return large.image;
}

bool BitmapResource::masked(int x, int y) const {
    if (m_mask.empty() || x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) {
        return false;
    }
    return m_mask[static_cast<size_t>(y) * static_cast<size_t>(m_image.width()) +
                  static_cast<size_t>(x)] != 0;
}

QRegion BitmapResource::opaqueRegion(const QRect& area) const {
    if (!m_transparent) {
        return QRegion(0, 0, area.width(), area.height());
    }
    std::vector<QRect> runs;
    const int width = m_image.width();
    const int height = m_image.height();
    for (int y = 0; y < area.height(); ++y) {
        const int sy = area.top() + y;
        const unsigned char* mask =
            sy >= 0 && sy < height
                ? m_mask.data() + static_cast<size_t>(sy) * static_cast<size_t>(width)
                : nullptr;
        int runStart = -1;
        for (int x = 0; x <= area.width(); ++x) {
            const int sx = area.left() + x;
            // Pixels beyond the bitmap are outside the shape.
            const bool opaque =
                x < area.width() && mask != nullptr && sx >= 0 && sx < width && mask[sx] == 0;
            if (opaque && runStart < 0) {
                runStart = x;
            } else if (!opaque && runStart >= 0) {
                runs.emplace_back(runStart, y, x - runStart, 1);
                runStart = -1;
            }
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

void BitmapResource::draw(QPainter& painter, const QRect& target, const QRect& source, bool opaque,
                          int scale) const {
    if (target.isEmpty() || source.isEmpty()) {
        return;
    }
    const QPainter::CompositionMode previous = painter.compositionMode();
    painter.setCompositionMode(opaque ? QPainter::CompositionMode_Source
                                      : QPainter::CompositionMode_SourceOver);
    const QImage* large = scale >= 2 && m_double ? &doubleImage() : nullptr;
    if (large != nullptr && !large->isNull()) {
        painter.drawImage(target, *large, QRect(source.topLeft() * 2, source.size() * 2));
    } else {
        const QImage& image = opaque || m_drawn.isNull() ? m_image : m_drawn;
        painter.drawImage(target, image, source);
    }
    painter.setCompositionMode(previous);
}

}  // namespace ambrin
