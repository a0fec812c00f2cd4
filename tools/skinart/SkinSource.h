#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace skinart {

// One skin as its source file in resources/skins/<folder>/skin.json describes it. All
// coordinates are logical pixels (the 1x bitmaps); the @2x bitmaps double them.

// Something drawn into a window's background only: the display inset, a divider, an icon.
struct Decoration {
    QString kind;   // "display", "divider", "icon"
    QString glyph;  // for "icon"
    QRect box;
};

// One skin control. `look` chooses how it is drawn and which element it becomes:
// "key", "tool", "close", "chip", "logo", "grip" are buttons (multi-state buttons when
// `states` has more than one entry), "slider" a horizontal slider, "text" a text field and
// "meter" the level meter.
struct Control {
    QString name;
    QString look;
    QString glyph;
    QStringList states;  // one entry per value state; chips show it as their label
    QRect rect;          // where the control lies in its window
    QString tooltip;
    QString changeWindow;  // OCHANGEWINDOW
    // Text fields and the level meter.
    QString font;
    QString colour;  // a palette name
    bool bold = false;
    QString align;
    // Sliders: the thumb's width and height.
    int thumb = 0;

    bool isButton() const;
    bool isMultiState() const { return isButton() && states.size() > 1; }
    int stateCount() const { return isMultiState() ? int(states.size()) : 1; }
    // The element name in "skin.xml".
    QString element() const;
};

struct Window {
    QString name;
    QString image;  // base name of its bitmaps
    QSize size;
    int radius = 0;
    QList<Decoration> decorations;
    QList<Control> controls;

    const Control* control(const QString& controlName) const;
};

struct FontDefinition {
    QString name;
    QString face;
};

struct Skin {
    QString folder;   // the source folder's name ("large", "compact")
    QString package;  // "Ambrin_Large.VSK"
    QString displayName, author, email, date;
    QString palette;
    QList<FontDefinition> fonts;
    QList<Window> windows;
};

// Reads a skin source; false with `error` set when it is unreadable or incomplete.
bool loadSkinSource(const QString& path, Skin& skin, QString& error);

}  // namespace skinart
