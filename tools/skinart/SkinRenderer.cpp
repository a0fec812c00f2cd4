#include "SkinRenderer.h"

#include <QPainter>
#include <algorithm>

namespace skinart {

namespace {

// Free space around every strip of cells, so that a cell read one pixel too far shows the
// transparent colour rather than its neighbour.
constexpr int kGap = 4;

QImage blank(const QSize& logical, int scale) {
    QImage image(logical * scale, QImage::Format_RGB32);
    image.fill(kTransparent);
    return image;
}

// No drawn pixel may equal the transparent colour by chance.
void keepOpaque(QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (line[x] == kTransparent) {
                line[x] = 0xFFFE00FF;
            }
        }
    }
}

}  // namespace

SkinRenderer::SkinRenderer(const Skin& skin, const SkinPainter& painter)
    : m_skin(skin), m_painter(painter) {}

void SkinRenderer::layOut(const Window& window) {
    m_sources.clear();
    int y = 0;
    int width = 0;
    for (const Control& c : window.controls) {
        QSize size;
        if (c.isButton()) {
            size = QSize(c.rect.width() * kLookCount, c.rect.height() * c.stateCount());
        } else if (c.look == "slider") {
            size = QSize(c.thumb * kThumbLookCount, c.thumb);
        } else {
            continue;
        }
        m_sources.insert(c.name, QRect(QPoint(0, y), size));
        y += size.height() + kGap;
        width = std::max(width, size.width());
    }
    m_controlsSize = QSize(width + kGap, std::max(y, 1));
}

void SkinRenderer::applyShape(QImage& image, const QPainterPath& shape, const QPoint& shapeOrigin,
                              const QRect& logicalArea, int scale) {
    QImage coverage(logicalArea.size(), QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(shapeOrigin - logicalArea.topLeft());
        p.fillPath(shape, Qt::white);
    }
    for (int y = 0; y < coverage.height(); ++y) {
        for (int x = 0; x < coverage.width(); ++x) {
            if (qAlpha(coverage.pixel(x, y)) >= 128) {
                continue;
            }
            for (int dy = 0; dy < scale; ++dy) {
                QRgb* line =
                    reinterpret_cast<QRgb*>(image.scanLine((logicalArea.top() + y) * scale + dy));
                for (int dx = 0; dx < scale; ++dx) {
                    line[(logicalArea.left() + x) * scale + dx] = kTransparent;
                }
            }
        }
    }
}

QImage SkinRenderer::background(const Window& window, int scale) const {
    QImage image = blank(window.size, scale);
    {
        QPainter p(&image);
        p.scale(scale, scale);
        m_painter.paintBackground(p, window);
    }
    keepOpaque(image, image.rect());
    applyShape(image, m_painter.windowShape(window), QPoint(0, 0), QRect(QPoint(0, 0), window.size),
               scale);
    return image;
}

QImage SkinRenderer::controls(const Window& window, int scale) const {
    const QImage back = background(window, scale);
    QImage image = blank(m_controlsSize, scale);
    QPainter p(&image);
    for (const Control& c : window.controls) {
        const QRect source = m_sources.value(c.name);
        if (source.isNull()) {
            continue;
        }
        if (c.isButton()) {
            const QSize cell = c.rect.size();
            const QImage under = back.copy(QRect(c.rect.topLeft() * scale, cell * scale));
            for (int state = 0; state < c.stateCount(); ++state) {
                for (int look = 0; look < kLookCount; ++look) {
                    const QPoint at =
                        source.topLeft() + QPoint(look * cell.width(), state * cell.height());
                    p.resetTransform();
                    p.drawImage(at * scale, under);
                    p.scale(scale, scale);
                    p.translate(at);
                    m_painter.paintButton(p, c, QRectF(QPointF(0, 0), QSizeF(cell)), Look(look),
                                          state);
                }
            }
        } else {
            // The thumb sits on the middle of its track, where the track looks the same
            // everywhere; outside its round shape it is transparent.
            const int t = c.thumb;
            const QPoint middle(c.rect.left() + (c.rect.width() - t) / 2,
                                c.rect.top() + (c.rect.height() - t) / 2);
            const QImage under = back.copy(QRect(middle * scale, QSize(t, t) * scale));
            for (int look = 0; look < kThumbLookCount; ++look) {
                const QPoint at = source.topLeft() + QPoint(look * t, 0);
                p.resetTransform();
                p.drawImage(at * scale, under);
                p.scale(scale, scale);
                p.translate(at);
                m_painter.paintThumb(p, QRectF(0, 0, t, t), look);
            }
        }
    }
    p.end();
    keepOpaque(image, image.rect());
    // The transparent colour again where nothing was drawn, and outside every thumb.
    QImage result = blank(m_controlsSize, scale);
    QPainter copy(&result);
    for (const Control& c : window.controls) {
        const QRect source = m_sources.value(c.name);
        if (!source.isNull()) {
            copy.drawImage(QRect(source.topLeft() * scale, source.size() * scale), image,
                           QRect(source.topLeft() * scale, source.size() * scale));
        }
    }
    copy.end();
    for (const Control& c : window.controls) {
        if (c.look != "slider") {
            continue;
        }
        const QRect source = m_sources.value(c.name);
        for (int look = 0; look < kThumbLookCount; ++look) {
            const QRect cell(source.topLeft() + QPoint(look * c.thumb, 0), QSize(c.thumb, c.thumb));
            applyShape(result, m_painter.thumbShape(QRectF(0, 0, c.thumb, c.thumb)), cell.topLeft(),
                       cell, scale);
        }
    }
    return result;
}

}  // namespace skinart
