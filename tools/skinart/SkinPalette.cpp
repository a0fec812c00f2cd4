#include "SkinPalette.h"

namespace skinart {

QColor SkinPalette::named(const QString& name) const {
    if (name == "time") {
        return time;
    }
    if (name == "status") {
        return status;
    }
    if (name == "meter") {
        return meter;
    }
    if (name == "accent") {
        return accent;
    }
    return QColor(0, 0, 0);
}

SkinPalette paletteNamed(const QString& name) {
    // Graphite: a calm dark body, a near-black display with light digits, one teal accent
    // and the signal colours red (record) and amber (paused).
    SkinPalette p;
    p.outline = QColor("#0b0d11");
    p.bodyTop = QColor("#323742");
    p.bodyBottom = QColor("#262a33");
    p.display = QColor("#0f1217");
    p.displayEdge = QColor("#07080b");
    p.displayGlow = QColor("#1a2430");
    p.keyTop = QColor("#454c59");
    p.keyBottom = QColor("#363c47");
    p.keyEdge = QColor("#14171c");
    p.keyHoverTop = QColor("#56606f");
    p.keyHoverBottom = QColor("#434a57");
    p.keyPressed = QColor("#2a2f37");
    p.keyDisabled = QColor("#2e323a");
    p.glyph = QColor("#eef2f6");
    p.glyphMuted = QColor("#a4adb8");
    p.glyphDisabled = QColor("#5a616c");
    p.record = QColor("#f0484e");
    p.pause = QColor("#f5a524");
    p.closeHover = QColor("#e5484d");
    p.accent = QColor("#35c9b4");
    p.track = QColor("#14171c");
    p.trackEdge = QColor("#3c424d");
    p.thumbTop = QColor("#f4f6f8");
    p.thumbBottom = QColor("#c3cad3");
    p.time = QColor("#f2f6fa");
    p.status = QColor("#8fd8cb");
    p.meter = QColor("#35c9b4");
    p.meterGrid = QColor("#1f2a33");
    p.hoverWash = QColor(255, 255, 255, 30);
    p.pressWash = QColor(0, 0, 0, 90);
    p.lip = QColor(255, 255, 255, 16);
    p.edgeLight = QColor(255, 255, 255, 40);
    p.divider = QColor(255, 255, 255, 22);
    p.gripIdle = QColor(255, 255, 255, 34);
    p.shadow = QColor(0, 0, 0, 90);
    if (name != "porcelain") {
        return p;
    }
    // Porcelain: the same display and signal colours in a light body with light keys.
    p.outline = QColor("#8c95a1");
    p.bodyTop = QColor("#f7f8fa");
    p.bodyBottom = QColor("#e3e7ec");
    p.keyTop = QColor("#ffffff");
    p.keyBottom = QColor("#e9ecf0");
    p.keyEdge = QColor("#a9b1bc");
    p.keyHoverTop = QColor("#ffffff");
    p.keyHoverBottom = QColor("#f6f8fa");
    p.keyPressed = QColor("#dde2e8");
    p.keyDisabled = QColor("#e6e9ed");
    p.glyph = QColor("#2a2f38");
    p.glyphMuted = QColor("#5c6571");
    p.glyphDisabled = QColor("#b0b7c0");
    p.track = QColor("#c4cbd4");
    p.thumbTop = QColor("#ffffff");
    p.thumbBottom = QColor("#dfe4ea");
    p.hoverWash = QColor(0, 0, 0, 22);
    p.pressWash = QColor(0, 0, 0, 48);
    p.lip = QColor(255, 255, 255, 200);
    p.edgeLight = QColor(255, 255, 255, 220);
    p.divider = QColor(0, 0, 0, 40);
    p.gripIdle = QColor(0, 0, 0, 40);
    p.shadow = QColor(30, 40, 55, 50);
    return p;
}

}  // namespace skinart
