#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <string>
#include <string_view>

namespace ambrin::skin {

// The value formats of skin attributes. White space around numbers and commas is free;
// anything else after the value makes it malformed. Coordinates beyond ±kCoordinateLimit
// are malformed too, so no value can ask for an absurd buffer.
inline constexpr int kCoordinateLimit = 100000;

// "left, top, right, bottom" as written in the description.
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    // The area right - left by bottom - top at (left, top).
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
};

bool parseRect(std::string_view text, SkinRect& rect);
bool parsePoint(std::string_view text, QPoint& point);
// "#RRGGBB", two hexadecimal digits each.
bool parseColour(std::string_view text, QColor& colour);
// Leading decimal digits with an optional sign; text without them reads as 0. Never fails;
// values beyond the int range are clamped.
int parseInteger(std::string_view text);
// "yes" exactly.
bool parseFlag(std::string_view text);

// One cell of a source rectangle cut into `columns` × `rows` equal cells: a cell is
// (extent + 1) / count pixels along each direction and cell (column, row) starts that many
// cells from the rectangle's left and top edges. So a strip of four 20 × 20 images is
// written "0,0,79,19".
QRect cellOf(const SkinRect& source, int columns, int rows, int column, int row);

// Resolves a skin file name against the folder the description was unpacked into. "/" and
// "\" both separate folders. A relative name stays below the folder (an empty result when
// ".." would leave it); an absolute name ("/x", "\x", "C:\x") was the skin maker's own
// path, and only its file name is looked up in the folder, since packages unpack flat.
std::string resolveSkinFile(const std::string& folder, std::string_view name);

}  // namespace ambrin::skin
