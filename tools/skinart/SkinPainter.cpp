#include "SkinPainter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QtMath>
#include <algorithm>

namespace skinart {

namespace {

QColor withAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

// `a` moved towards `b` by `amount` (0 to 1).
QColor mixed(const QColor& a, const QColor& b, double amount) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * amount),
                            float(a.greenF() + (b.greenF() - a.greenF()) * amount),
                            float(a.blueF() + (b.blueF() - a.blueF()) * amount));
}

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QRectF centred(const QRectF& r, double w, double h) {
    return QRectF(r.center().x() - w / 2, r.center().y() - h / 2, w, h);
}

QPainterPath gearPath(const QPointF& c, double outer) {
    QPainterPath teeth;
    const double toothW = outer * 0.42;
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45.0);
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-toothW / 2, -outer, toothW, outer), toothW * 0.25,
                             toothW * 0.25);
        teeth |= t.map(tooth);
    }
    QPainterPath ring;
    ring.addEllipse(c, outer * 0.78, outer * 0.78);
    QPainterPath hole;
    hole.addEllipse(c, outer * 0.34, outer * 0.34);
    return (teeth | ring) - hole;
}

}  // namespace

SkinPainter::SkinPainter(const Skin& skin, const SkinPalette& palette)
    : m_skin(skin), m_palette(palette) {}

QString SkinPainter::faceOf(const QString& fontName) const {
    for (const FontDefinition& f : m_skin.fonts) {
        if (f.name == fontName) {
            return f.face;
        }
    }
    return m_skin.fonts.value(0).face;
}

QPainterPath SkinPainter::windowShape(const Window& window) const {
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(window.size)), window.radius, window.radius);
    return path;
}

void SkinPainter::paintBackground(QPainter& p, const Window& window) const {
    const SkinPalette& c = m_palette;
    const QRectF all(QPointF(0, 0), QSizeF(window.size));
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(all, c.outline);
    const double r = window.radius;
    // The body, a hair inside the outline, with a faint light edge along its top.
    const QRectF body = all.adjusted(1, 1, -1, -1);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(body, c.bodyTop, c.bodyBottom));
    p.drawRoundedRect(body, r - 1, r - 1);
    QLinearGradient edge(body.topLeft(), body.bottomLeft());
    edge.setColorAt(0, c.edgeLight);
    edge.setColorAt(0.35, withAlpha(c.edgeLight, c.edgeLight.alpha() / 6));
    edge.setColorAt(1, withAlpha(c.edgeLight, 0));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(edge), 1));
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), r - 1.5, r - 1.5);

    for (const Decoration& d : window.decorations) {
        if (d.kind == "display") {
            paintDisplay(p, QRectF(d.box));
        } else if (d.kind == "divider") {
            p.fillRect(QRectF(d.box), c.divider);
        } else if (d.kind == "icon") {
            paintGlyph(p, d.glyph, QRectF(d.box), c.glyphMuted);
        }
    }
    for (const Control& control : window.controls) {
        if (control.look == "slider") {
            paintTrack(p, control);
        } else if (control.look == "meter") {
            paintMeterGrid(p, control);
        }
    }
}

void SkinPainter::paintDisplay(QPainter& p, const QRectF& r) const {
    const SkinPalette& c = m_palette;
    const double radius = std::min(10.0, r.height() / 4);
    // A light lip under the inset, then the inset with a soft shadow along its top.
    p.setPen(Qt::NoPen);
    p.setBrush(c.lip);
    p.drawRoundedRect(r.adjusted(0, 1, 0, 1), radius, radius);
    p.setBrush(c.displayEdge);
    p.drawRoundedRect(r, radius, radius);
    const QRectF inner = r.adjusted(1, 1, -1, -1);
    p.setBrush(vertical(inner, c.displayGlow, c.display));
    p.drawRoundedRect(inner, radius - 1, radius - 1);
    QLinearGradient shade(inner.topLeft(), inner.topLeft() + QPointF(0, 7));
    shade.setColorAt(0, withAlpha(Qt::black, 110));
    shade.setColorAt(1, withAlpha(Qt::black, 0));
    p.setBrush(shade);
    p.drawRoundedRect(inner, radius - 1, radius - 1);
}

void SkinPainter::paintTrack(QPainter& p, const Control& slider) const {
    const SkinPalette& c = m_palette;
    const QRectF r(slider.rect);
    const double half = slider.thumb / 2.0;
    const QRectF groove(r.left() + half - 3, r.center().y() - 2.5, r.width() - 2 * half + 6, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(c.lip);
    p.drawRoundedRect(groove.adjusted(0, 1, 0, 1), 2.5, 2.5);
    p.setBrush(c.track);
    p.drawRoundedRect(groove, 2.5, 2.5);
}

void SkinPainter::paintMeterGrid(QPainter& p, const Control& meter) const {
    const SkinPalette& c = m_palette;
    const QRectF r(meter.rect);
    const double mid = r.top() + r.height() / 2;
    p.setPen(QPen(withAlpha(Qt::white, 14), 1));
    p.setBrush(mixed(c.display, c.meterGrid, 0.35));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setPen(Qt::NoPen);
    // Quarter lines as dots, the centre line solid: the trace stays the brightest thing.
    for (double x = r.left() + 2; x < r.right() - 1; x += 4) {
        p.fillRect(QRectF(x, std::floor(r.top() + r.height() / 4), 1, 1), c.meterGrid.lighter(130));
        p.fillRect(QRectF(x, std::floor(r.top() + 3 * r.height() / 4), 1, 1),
                   c.meterGrid.lighter(130));
    }
    p.fillRect(QRectF(r.left() + 2, std::floor(mid), r.width() - 4, 1),
               mixed(c.meterGrid, c.meter, 0.3));
}

void SkinPainter::paintButton(QPainter& p, const Control& c, const QRectF& cell, Look look,
                              int state) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (c.look == "key") {
        paintKey(p, c, cell, look, state);
    } else if (c.look == "tool" || c.look == "close") {
        paintTool(p, c, cell, look, state);
    } else if (c.look == "chip") {
        paintChip(p, c, cell, look, state);
    } else if (c.look == "logo") {
        paintLogo(p, cell, look);
    } else if (c.look == "grip") {
        paintGrip(p, cell, look);
    }
    p.restore();
}

void SkinPainter::paintKey(QPainter& p, const Control& c, const QRectF& cell, Look look,
                           int state) const {
    const SkinPalette& pal = m_palette;
    const QRectF key = cell.adjusted(1, 1, -1, -2);
    const double radius = key.height() * 0.28;
    const bool lit = state == 1;  // "Pause" while paused
    p.setPen(Qt::NoPen);
    if (look != kPressed && look != kDisabled) {
        p.setBrush(pal.shadow);
        p.drawRoundedRect(key.translated(0, 1.5), radius, radius);
    }
    p.setBrush(pal.keyEdge);
    p.drawRoundedRect(key, radius, radius);
    const QRectF face = key.adjusted(1, 1, -1, -1);
    switch (look) {
        case kNormal:
            p.setBrush(vertical(face, pal.keyTop, pal.keyBottom));
            break;
        case kHover:
            p.setBrush(vertical(face, pal.keyHoverTop, pal.keyHoverBottom));
            break;
        case kPressed:
            p.setBrush(vertical(face, pal.keyPressed.darker(115), pal.keyPressed));
            break;
        case kDisabled:
            p.setBrush(pal.keyDisabled);
            break;
    }
    p.drawRoundedRect(face, radius - 1, radius - 1);
    if (look == kNormal || look == kHover) {
        // Light catches the upper edge of a raised key.
        QLinearGradient shine(face.topLeft(), face.topLeft() + QPointF(0, face.height() * 0.5));
        shine.setColorAt(0, withAlpha(Qt::white, look == kHover ? 46 : 34));
        shine.setColorAt(1, withAlpha(Qt::white, 0));
        p.setBrush(shine);
        p.drawRoundedRect(face, radius - 1, radius - 1);
    } else if (look == kPressed) {
        QLinearGradient shade(face.topLeft(), face.topLeft() + QPointF(0, 6));
        shade.setColorAt(0, withAlpha(Qt::black, 120));
        shade.setColorAt(1, withAlpha(Qt::black, 0));
        p.setBrush(shade);
        p.drawRoundedRect(face, radius - 1, radius - 1);
    }
    if (lit && look != kDisabled) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(pal.pause, 220), 1.5));
        p.drawRoundedRect(face.adjusted(0.75, 0.75, -0.75, -0.75), radius - 1.5, radius - 1.5);
    } else if (look == kHover) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(pal.accent, 170), 1));
        p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), radius - 1.5, radius - 1.5);
    }

    QColor colour = pal.glyph;
    if (c.glyph == "record") {
        colour = pal.record;
    }
    if (lit) {
        colour = pal.pause;
    }
    if (look == kHover) {
        colour = colour.lighter(112);
    } else if (look == kDisabled) {
        colour = mixed(colour, pal.keyDisabled, 0.72);
    } else if (look == kNormal && c.glyph != "record" && !lit) {
        colour = mixed(colour, pal.keyTop, 0.08);
    }
    const double g = std::round(key.height() * 0.40);
    QRectF box = centred(key, g, g);
    if (look == kPressed) {
        box.translate(0, 1);
    }
    paintGlyph(p, c.glyph, box, colour);
}

void SkinPainter::paintTool(QPainter& p, const Control& c, const QRectF& cell, Look look,
                            int state) const {
    const SkinPalette& pal = m_palette;
    const bool close = c.look == "close";
    const QRectF plate = cell.adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = std::min(7.0, cell.height() * 0.3);
    p.setPen(Qt::NoPen);
    if (look == kHover) {
        p.setBrush(close ? pal.closeHover : pal.hoverWash);
        p.drawRoundedRect(plate, radius, radius);
    } else if (look == kPressed) {
        p.setBrush(close ? pal.closeHover.darker(135) : pal.pressWash);
        p.drawRoundedRect(plate, radius, radius);
    }
    QColor colour = pal.glyphMuted;
    if (close && (look == kHover || look == kPressed)) {
        colour = Qt::white;
    } else if (look == kHover || look == kPressed) {
        colour = pal.glyph;
    } else if (look == kDisabled) {
        colour = pal.glyphDisabled;
    }
    QString glyph = c.glyph;
    if (glyph == "speaker" && state == 1) {
        glyph = "muted";
    }
    const double g = std::round(cell.height() * 0.62);
    QRectF box = centred(cell, g, g);
    if (look == kPressed) {
        box.translate(0, 1);
    }
    paintGlyph(p, glyph, box, colour);
}

void SkinPainter::paintChip(QPainter& p, const Control& c, const QRectF& cell, Look look,
                            int state) const {
    const SkinPalette& pal = m_palette;
    const QRectF pill = cell.adjusted(1, 1, -1, -1);
    const double radius = pill.height() / 2;
    QColor edge = withAlpha(pal.accent, 150);
    QColor fill = withAlpha(pal.accent, 0);
    QColor text = pal.accent;
    switch (look) {
        case kNormal:
            break;
        case kHover:
            fill = withAlpha(pal.accent, 56);
            edge = pal.accent;
            text = pal.accent.lighter(130);
            break;
        case kPressed:
            fill = withAlpha(pal.accent, 120);
            edge = pal.accent;
            text = pal.glyph;
            break;
        case kDisabled:
            edge = withAlpha(pal.glyphDisabled, 160);
            text = pal.glyphDisabled;
            break;
    }
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    QFont font(faceOf("Display"));
    font.setPixelSize(int(std::round(pill.height() * 0.58)));
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    font.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(font);
    p.setPen(text);
    p.drawText(pill.translated(0, look == kPressed ? 1 : 0), Qt::AlignCenter,
               c.states.value(state));
}

void SkinPainter::paintLogo(QPainter& p, const QRectF& cell, Look look) const {
    const SkinPalette& pal = m_palette;
    const double shift = look == kPressed ? 1 : 0;
    // The mark: a rounded square holding a short level trace.
    const double m = cell.height() - 4;
    const QRectF mark(cell.left() + 2, cell.top() + 2 + shift, m, m);
    QColor markColour = pal.accent;
    if (look == kHover) {
        markColour = pal.accent.lighter(115);
    } else if (look == kDisabled) {
        markColour = pal.glyphDisabled;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(markColour);
    p.drawRoundedRect(mark, m * 0.28, m * 0.28);
    p.setPen(QPen(pal.display, 1.8, Qt::SolidLine, Qt::RoundCap));
    const double heights[] = {0.2, 0.5, 0.3, 0.62, 0.24};
    for (int i = 0; i < 5; ++i) {
        const double x = mark.left() + m * (0.22 + i * 0.14);
        const double h = m * heights[i];
        p.drawLine(QPointF(x, mark.center().y() - h / 2), QPointF(x, mark.center().y() + h / 2));
    }
    QFont font(faceOf("Display"));
    font.setPixelSize(int(std::round(cell.height() * 0.64)));
    font.setBold(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(font);
    const QRectF text(mark.right() + 7, cell.top() + shift, cell.width() - m - 9, cell.height());
    const QColor name = look == kDisabled ? pal.glyphDisabled
                                          : (look == kNormal ? pal.glyph.darker(108) : pal.glyph);
    p.setPen(name);
    const QString word = "Ambrin";
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, word);
    const double plusX = text.left() + QFontMetricsF(font).horizontalAdvance(word) + 1;
    p.setPen(markColour);
    p.drawText(QRectF(plusX, text.top(), 20, text.height()), Qt::AlignLeft | Qt::AlignVCenter, "+");
}

void SkinPainter::paintGrip(QPainter& p, const QRectF& cell, Look look) const {
    const SkinPalette& pal = m_palette;
    const bool inside = look == kHover || look == kPressed;
    p.setPen(Qt::NoPen);
    p.setBrush(inside ? pal.accent : pal.gripIdle);
    const QRectF pill = cell.adjusted(0.5, 0.5, -0.5, -0.5);
    p.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
}

QPainterPath SkinPainter::thumbShape(const QRectF& cell) const {
    QPainterPath path;
    path.addEllipse(cell.adjusted(0.5, 0.5, -0.5, -0.5));
    return path;
}

void SkinPainter::paintThumb(QPainter& p, const QRectF& cell, int look) const {
    const SkinPalette& pal = m_palette;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = cell.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(look == 0 ? pal.keyEdge : pal.accent);
    p.drawEllipse(outer);
    const double inset = look == 0 ? 1 : 2;
    const QRectF knob = outer.adjusted(inset, inset, -inset, -inset);
    if (look == 2) {
        p.setBrush(vertical(knob, pal.thumbBottom, pal.thumbTop.darker(104)));
    } else {
        p.setBrush(vertical(knob, pal.thumbTop, pal.thumbBottom));
    }
    p.drawEllipse(knob);
    p.setBrush(look == 0 ? pal.glyphMuted : pal.accent);
    const double dot = std::max(2.0, cell.width() * 0.22);
    p.drawEllipse(centred(knob, dot, dot));
    p.restore();
}

void SkinPainter::paintGlyph(QPainter& p, const QString& glyph, const QRectF& b,
                             const QColor& colour) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double w = b.width();
    const double stroke = std::max(1.5, w / 9);
    QPen pen(colour, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    if (glyph == "record") {
        // A soft halo first, so the dot reads as a lamp; a dimmed dot keeps almost none.
        QRadialGradient halo(b.center(), w * 0.8);
        halo.setColorAt(0.45, withAlpha(colour, colour.saturation() > 120 ? 90 : 20));
        halo.setColorAt(1, withAlpha(colour, 0));
        p.setBrush(halo);
        p.drawEllipse(centred(b, w * 1.6, w * 1.6));
        p.setBrush(colour);
        p.drawEllipse(centred(b, w * 0.84, w * 0.84));
    } else if (glyph == "play") {
        QPainterPath tri;
        const double h = w * 0.9;
        const double x0 = b.left() + w * 0.2;
        tri.moveTo(x0, b.center().y() - h / 2);
        tri.lineTo(x0 + h * 0.87, b.center().y());
        tri.lineTo(x0, b.center().y() + h / 2);
        tri.closeSubpath();
        p.setPen(QPen(colour, w / 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tri);
    } else if (glyph == "pause") {
        const double barW = w * 0.26;
        const double h = w * 0.84;
        const double gap = w * 0.2;
        const double left = b.center().x() - gap / 2 - barW;
        p.drawRoundedRect(QRectF(left, b.center().y() - h / 2, barW, h), barW * 0.3, barW * 0.3);
        p.drawRoundedRect(QRectF(b.center().x() + gap / 2, b.center().y() - h / 2, barW, h),
                          barW * 0.3, barW * 0.3);
    } else if (glyph == "stop") {
        const QRectF s = centred(b, w * 0.76, w * 0.76);
        p.drawRoundedRect(s, w * 0.12, w * 0.12);
    } else if (glyph == "list") {
        p.setPen(pen);
        for (int i = 0; i < 3; ++i) {
            const double y = b.top() + w * (0.22 + i * 0.28);
            p.drawPoint(QPointF(b.left() + w * 0.14, y));
            p.drawLine(QPointF(b.left() + w * 0.36, y), QPointF(b.right() - w * 0.1, y));
        }
    } else if (glyph == "gear") {
        p.drawPath(gearPath(b.center(), w * 0.46));
    } else if (glyph == "help") {
        p.setPen(QPen(colour, stroke));
        p.setBrush(Qt::NoBrush);
        const QRectF ring = centred(b, w * 0.86, w * 0.86);
        p.drawEllipse(ring);
        QFont font(faceOf("Display"));
        font.setPixelSize(int(std::round(w * 0.62)));
        font.setBold(true);
        font.setHintingPreference(QFont::PreferNoHinting);
        p.setFont(font);
        p.drawText(ring.translated(0, w * 0.02), Qt::AlignCenter, "?");
    } else if (glyph == "shrink") {
        // A window with the small window in its corner.
        p.setPen(QPen(colour, stroke * 0.85));
        p.setBrush(Qt::NoBrush);
        const QRectF frame(b.left() + w * 0.08, b.top() + w * 0.16, w * 0.84, w * 0.68);
        p.drawRoundedRect(frame, w * 0.1, w * 0.1);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(
            QRectF(frame.left() + w * 0.38, frame.top() + w * 0.3, w * 0.36, w * 0.26), w * 0.05,
            w * 0.05);
    } else if (glyph == "expand") {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const double a = w * 0.16;
        const double z = w * 0.84;
        const double arm = w * 0.26;
        QPainterPath path;
        path.moveTo(b.left() + a, b.top() + a + arm);
        path.lineTo(b.left() + a, b.top() + a);
        path.lineTo(b.left() + a + arm, b.top() + a);
        path.moveTo(b.left() + a, b.top() + a);
        path.lineTo(b.left() + w * 0.42, b.top() + w * 0.42);
        path.moveTo(b.left() + z, b.top() + z - arm);
        path.lineTo(b.left() + z, b.top() + z);
        path.lineTo(b.left() + z - arm, b.top() + z);
        path.moveTo(b.left() + z, b.top() + z);
        path.lineTo(b.left() + w * 0.58, b.top() + w * 0.58);
        p.drawPath(path);
    } else if (glyph == "tray") {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPainterPath tray;
        tray.moveTo(b.left() + w * 0.1, b.top() + w * 0.58);
        tray.lineTo(b.left() + w * 0.1, b.top() + w * 0.88);
        tray.lineTo(b.right() - w * 0.1, b.top() + w * 0.88);
        tray.lineTo(b.right() - w * 0.1, b.top() + w * 0.58);
        p.drawPath(tray);
        QPainterPath arrow;
        arrow.moveTo(b.center().x(), b.top() + w * 0.08);
        arrow.lineTo(b.center().x(), b.top() + w * 0.62);
        arrow.moveTo(b.center().x() - w * 0.2, b.top() + w * 0.42);
        arrow.lineTo(b.center().x(), b.top() + w * 0.62);
        arrow.lineTo(b.center().x() + w * 0.2, b.top() + w * 0.42);
        p.drawPath(arrow);
    } else if (glyph == "minimize") {
        p.setPen(pen);
        p.drawLine(QPointF(b.left() + w * 0.2, b.top() + w * 0.66),
                   QPointF(b.right() - w * 0.2, b.top() + w * 0.66));
    } else if (glyph == "close") {
        p.setPen(pen);
        const double a = w * 0.24;
        p.drawLine(QPointF(b.left() + a, b.top() + a), QPointF(b.right() - a, b.bottom() - a));
        p.drawLine(QPointF(b.right() - a, b.top() + a), QPointF(b.left() + a, b.bottom() - a));
    } else if (glyph == "speaker" || glyph == "muted") {
        QPainterPath body;
        body.moveTo(b.left() + w * 0.08, b.top() + w * 0.36);
        body.lineTo(b.left() + w * 0.28, b.top() + w * 0.36);
        body.lineTo(b.left() + w * 0.52, b.top() + w * 0.14);
        body.lineTo(b.left() + w * 0.52, b.top() + w * 0.86);
        body.lineTo(b.left() + w * 0.28, b.top() + w * 0.64);
        body.lineTo(b.left() + w * 0.08, b.top() + w * 0.64);
        body.closeSubpath();
        p.setPen(QPen(colour, w / 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(body);
        p.setBrush(Qt::NoBrush);
        if (glyph == "speaker") {
            p.setPen(QPen(colour, stroke * 0.85, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(centred(QRectF(b.left() + w * 0.3, b.top(), w * 0.5, w), w * 0.44, w * 0.44),
                      -50 * 16, 100 * 16);
            p.drawArc(centred(QRectF(b.left() + w * 0.3, b.top(), w * 0.5, w), w * 0.8, w * 0.8),
                      -50 * 16, 100 * 16);
        } else {
            p.setPen(QPen(m_palette.record, stroke, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(b.left() + w * 0.64, b.top() + w * 0.36),
                       QPointF(b.left() + w * 0.92, b.top() + w * 0.64));
            p.drawLine(QPointF(b.left() + w * 0.92, b.top() + w * 0.36),
                       QPointF(b.left() + w * 0.64, b.top() + w * 0.64));
        }
    } else if (glyph == "mic") {
        p.setPen(QPen(colour, stroke * 0.85, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(b.center().x() - w * 0.16, b.top() + w * 0.04, w * 0.32, w * 0.54),
                          w * 0.16, w * 0.16);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(b.center().x() - w * 0.3, b.top() + w * 0.16, w * 0.6, w * 0.56), 180 * 16,
                  180 * 16);
        p.drawLine(QPointF(b.center().x(), b.top() + w * 0.72),
                   QPointF(b.center().x(), b.top() + w * 0.92));
        p.drawLine(QPointF(b.center().x() - w * 0.18, b.top() + w * 0.92),
                   QPointF(b.center().x() + w * 0.18, b.top() + w * 0.92));
    }
    p.restore();
}

}  // namespace skinart
