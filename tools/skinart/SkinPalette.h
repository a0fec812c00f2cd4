#pragma once

#include <QColor>
#include <QString>

namespace skinart {

// The colours of one skin. Everything a skin draws takes its colour from here, so both
// shipped skins stay one family.
struct SkinPalette {
    QColor outline;  // the dark ring around the window's shape
    QColor bodyTop, bodyBottom;
    QColor display, displayEdge, displayGlow;
    QColor keyTop, keyBottom, keyEdge, keyHoverTop, keyHoverBottom, keyPressed, keyDisabled;
    QColor glyph, glyphMuted, glyphDisabled;
    QColor record, pause, closeHover;
    QColor accent;  // hover rings, the level trace, active chips
    QColor track, trackEdge;
    QColor thumbTop, thumbBottom;
    QColor time, status, meter, meterGrid;
    // Washes over the body: under a tool button with the pointer on it, while pressed, the
    // light lip below an inset, the top edge's light, dividers and the idle grip.
    QColor hoverWash, pressWash, lip, edgeLight, divider, gripIdle, shadow;

    // A palette colour by the name a skin source uses for text fields ("time", "status",
    // "meter"); black for an unknown name.
    QColor named(const QString& name) const;
};

// The palette a skin source names: "graphite" (dark) or "porcelain" (light body, dark
// display); graphite for an unknown name.
SkinPalette paletteNamed(const QString& name);

}  // namespace skinart
