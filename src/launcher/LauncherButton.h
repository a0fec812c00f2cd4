#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ambrin::launcher {

// A rectangle as the button table stores it: left, top, right (x + width), bottom
// (y + height).
struct ButtonRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Edges included, as the pointer test has always been.
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// What a button does, picked by its name.
enum class ButtonAction { None, Exit, Setup, Explorer, ReadMe, Manual };

struct LauncherButton {
    static constexpr std::size_t kMaxName = 255;

    ButtonRect hot;      // where the pointer finds it
    ButtonRect picture;  // what is copied from the hover and pressed pictures
    std::string name;

    // The first of "Exit", "Setup", "Explorer", "ReadMe", "Manual" that occurs in the name.
    ButtonAction action() const;

    // One row of the table, "%d,%d,%d,%d,%d,%d,%d,%d,%s": the hot rectangle and the picture
    // rectangle as x, y, width, height, then the name (up to the first blank). Nothing for
    // a row that does not have that form or has a negative size.
    static std::optional<LauncherButton> parse(std::string_view row);
};

// The button table from the string table: string 1 holds the number of buttons, strings 2
// to number + 1 one button each. Rows that cannot be read are left out; the number is
// capped so a wrong count cannot make the launcher read on for ever.
std::vector<LauncherButton> readButtonTable(const std::function<std::string(int)>& text);

// The index of the first button whose hot rectangle holds the point, or -1.
int buttonAt(const std::vector<LauncherButton>& buttons, int x, int y);

}  // namespace ambrin::launcher
