#pragma once

#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>

#include "SkinPainter.h"
#include "SkinSource.h"

namespace skinart {

// The transparent colour of every bitmap the generator writes.
inline constexpr QRgb kTransparent = 0xFFFF00FF;

// The bitmaps of one skin window at one scale: its background and one bitmap holding the
// cells of all its buttons and slider thumbs.
//
// Each button cell is drawn over the very background it will cover, so cells are opaque
// and anti-aliased edges blend with the real colours behind them. Only thumbs (which move)
// and the window's outline use the transparent colour, and where they do, the @2x bitmap
// is transparent exactly where the 1x bitmap is, twice as large: masks and window regions
// come from the 1x bitmap.
class SkinRenderer {
  public:
    SkinRenderer(const Skin& skin, const SkinPainter& painter);

    // Lays out the cells of every control of `window` (in logical pixels); call first.
    void layOut(const Window& window);
    // The source rectangle of a control's cells in the controls bitmap, logical pixels.
    QRect sourceRect(const QString& controlName) const { return m_sources.value(controlName); }
    QSize controlsSize() const { return m_controlsSize; }

    QImage background(const Window& window, int scale) const;
    QImage controls(const Window& window, int scale) const;

  private:
    // Paints `transparent` where the 1x shape does not cover, at `scale`.
    static void applyShape(QImage& image, const QPainterPath& shape, const QPoint& shapeOrigin,
                           const QRect& logicalArea, int scale);

    const Skin& m_skin;
    const SkinPainter& m_painter;
    QHash<QString, QRect> m_sources;
    QSize m_controlsSize;
};

}  // namespace skinart
