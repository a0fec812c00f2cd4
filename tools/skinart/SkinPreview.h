#pragma once

#include <QHash>
#include <QImage>
#include <QSet>
#include <QString>
#include <QVector>

#include "SkinPainter.h"
#include "SkinSource.h"

namespace skinart {

// What the program shows in one of its states, as the main window sets its controls.
struct ProgramState {
    QString name;  // "waiting", "recording", ...
    QSet<QString> disabled;
    QHash<QString, int> values;  // multi-state values and slider percents
    QString time;
    QString info;
    QString hovered;      // the control under the pointer, if any
    bool speech = false;  // the level meter shows a voice, else a quiet line
};

// The states that change how a window looks, with the texts of one language (1042 Korean,
// 1033 English).
QVector<ProgramState> programStates(int language);

// A window as it looks in a state, composed from the generated bitmaps the way the skin's
// elements draw them: a check of the art before any window exists.
class SkinPreview {
  public:
    SkinPreview(const SkinPainter& painter, const SkinPalette& palette);

    QImage compose(const Window& window, const QImage& background, const QImage& controls,
                   const QHash<QString, QRect>& sources, const ProgramState& state,
                   int scale) const;

  private:
    const SkinPainter& m_painter;
    const SkinPalette& m_palette;
};

}  // namespace skinart
