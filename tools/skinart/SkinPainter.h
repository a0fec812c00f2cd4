#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QString>

#include "SkinPalette.h"
#include "SkinSource.h"

class QPainter;

namespace skinart {

// The four interaction looks of a button, in the order of its cells.
enum Look { kNormal = 0, kHover = 1, kDisabled = 2, kPressed = 3 };
inline constexpr int kLookCount = 4;
// The three looks of a slider thumb, in the order of its cells (dragging shows the hover).
inline constexpr int kThumbLookCount = 3;

// Draws everything a skin shows, in logical pixels: the caller scales the painter for the
// @2x bitmaps, so both sizes come from the same vector drawing.
class SkinPainter {
  public:
    SkinPainter(const Skin& skin, const SkinPalette& palette);

    // The window's outline; outside it the bitmap is the transparent colour.
    QPainterPath windowShape(const Window& window) const;
    // The window's background: body, display insets, dividers, icons, slider tracks and the
    // level meter's grid. Controls draw over it.
    void paintBackground(QPainter& painter, const Window& window) const;
    // One cell of a button in `cell` (the button's size at the origin).
    void paintButton(QPainter& painter, const Control& control, const QRectF& cell, Look look,
                     int state) const;
    // One slider thumb in `cell` (thumb × thumb at the origin); `look` is 0 normal, 1 under the
    // pointer, 2 pressed.
    void paintThumb(QPainter& painter, const QRectF& cell, int look) const;
    // The thumb's outline in its cell: outside it the thumb is transparent.
    QPainterPath thumbShape(const QRectF& cell) const;

    // The face of a font resource ("Display" → "NanumSquareRound").
    QString faceOf(const QString& fontName) const;

  private:
    void paintKey(QPainter& p, const Control& c, const QRectF& r, Look look, int state) const;
    void paintTool(QPainter& p, const Control& c, const QRectF& r, Look look, int state) const;
    void paintChip(QPainter& p, const Control& c, const QRectF& r, Look look, int state) const;
    void paintLogo(QPainter& p, const QRectF& r, Look look) const;
    void paintGrip(QPainter& p, const QRectF& r, Look look) const;
    void paintDisplay(QPainter& p, const QRectF& r) const;
    void paintTrack(QPainter& p, const Control& slider) const;
    void paintMeterGrid(QPainter& p, const Control& meter) const;
    void paintGlyph(QPainter& p, const QString& glyph, const QRectF& box,
                    const QColor& colour) const;

    const Skin& m_skin;
    SkinPalette m_palette;
};

}  // namespace skinart
