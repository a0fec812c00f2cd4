#include "skin/BitmapResource.h"

#include <QImageReader>
#include <QPainter>
#include <vector>

namespace ambrin {

namespace {

// Large enough for any skin on any screen; a header asking for more is refused before
// anything is decoded.
constexpr int kMaxSide = 8192;
constexpr qint64 kMaxPixels = 16LL * 1024 * 1024;

QImage readImage(const QString& path) {
    QImageReader reader(path);
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
        QImage drawn = bitmap.m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QRgb key = transparent->rgb() & 0xFFFFFF;
        for (int y = 0; y < drawn.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(drawn.scanLine(y));
            for (int x = 0; x < drawn.width(); ++x) {
                if ((row[x] & 0xFFFFFF) == key) {
                    row[x] = 0;
                }
            }
        }
        bitmap.m_drawn = drawn;
    }

    QImage twice = readImage(doubleSizePath(file));
    if (!twice.isNull() && twice.size() == bitmap.m_image.size() * 2) {
        twice = twice.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (transparent) {
            // The shape comes from the 1x mask; the large image follows it exactly.
            for (int y = 0; y < twice.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(twice.scanLine(y));
                for (int x = 0; x < twice.width(); ++x) {
                    if (bitmap.masked(x / 2, y / 2)) {
                        row[x] = 0;
                    }
                }
            }
        }
        bitmap.m_double = twice;
    }
    return bitmap;
}

bool BitmapResource::masked(int x, int y) const {
    if (!m_transparent || x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) {
        return false;
    }
    const QRgb pixel = reinterpret_cast<const QRgb*>(m_image.constScanLine(y))[x];
    return (pixel & 0xFFFFFF) == (m_transparent->rgb() & 0xFFFFFF);
}

QRegion BitmapResource::opaqueRegion(const QRect& area) const {
    if (!m_transparent) {
        return QRegion(0, 0, area.width(), area.height());
    }
    std::vector<QRect> runs;
    for (int y = 0; y < area.height(); ++y) {
        int runStart = -1;
        for (int x = 0; x <= area.width(); ++x) {
            const int sx = area.left() + x;
            const int sy = area.top() + y;
            const bool inside = sx >= 0 && sy >= 0 && sx < m_image.width() && sy < m_image.height();
            const bool opaque = x < area.width() && inside && !masked(sx, sy);
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
    if (scale >= 2 && !m_double.isNull()) {
        const QRect large(source.topLeft() * 2, source.size() * 2);
        painter.drawImage(target, m_double, large);
    } else {
        const QImage& image = opaque || m_drawn.isNull() ? m_image : m_drawn;
        painter.drawImage(target, image, source);
    }
    painter.setCompositionMode(previous);
}

}  // namespace ambrin
