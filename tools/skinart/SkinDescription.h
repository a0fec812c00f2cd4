#pragma once

#include <QHash>
#include <QRect>
#include <QString>

#include "SkinPalette.h"
#include "SkinSource.h"

namespace skinart {

// Where each control's cells lie in its window's controls bitmap, by window and control.
using CellSources = QHash<QString, QHash<QString, QRect>>;

// File names of a window's bitmaps inside the package.
QString backgroundFile(const Window& window);
QString controlsFile(const Window& window);
// "name.png" → "name@2x.png".
QString doubleSizeFile(const QString& file);

// The text of "skin.xml" for the skin.
QString describeSkin(const Skin& skin, const SkinPalette& palette, const CellSources& sources,
                     const QHash<QString, QSize>& backgroundSizes);

}  // namespace skinart
