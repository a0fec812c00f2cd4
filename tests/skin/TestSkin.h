#pragma once

#include <QColor>
#include <QImage>
#include <string>

namespace ambrin::test {

// Creates a QGuiApplication (offscreen unless QT_QPA_PLATFORM says otherwise) for the whole
// test program, once, and keeps it to the end; skin fonts and text need one.
void ensureGuiApplication();

// The colour of one cell of the test skin's images: `group` tells the images apart,
// `column` and `row` the cells. Never the transparent magenta.
QRgb cellColour(int group, int column, int row);

// A small skin written into a folder by the test itself:
//   "bg.bmp"  240 × 80, 24-bit; a gradient with magenta (#FF00FF) at every pixel where
//             x + y < 6 (the rounded top-left corner) and on the whole last row;
//   "ctl.png" 200 × 200 with, each image's cells filled with cellColour() and a magenta
//             pixel at each cell's centre:
//               group 0  button, 4 cells of 20 × 10 side by side at 0,0 (OSRCRECT 0,0,79,9)
//               group 1  button, 4 cells of 20 × 10 stacked at 0,20 (OSRCRECT 0,20,19,59)
//               group 2  multi-state, 4 × 3 cells of 20 × 10 at 100,0 (100,0,179,29)
//               group 3  slider thumb, 3 × 10 cells of 10 × 10 at 0,100 (0,100,29,199)
//               group 4  vertical thumb ("vert"), 10 × 3 cells of 10 × 10 at 40,100
//                        (40,100,139,129)
//   "panel.bmp" 40 × 30 of one colour (#305070).
// write() adds "skin.xml" with the given body; the folder can be loaded as it is or packed.
class TestSkin {
  public:
    explicit TestSkin(std::string folder);

    const std::string& folder() const { return m_folder; }
    // Writes "skin.xml": the bitmap and font resources, then `body`.
    void write(const std::string& body) const;
    // Packs the folder's files into a package; its path.
    std::string pack(const std::string& packagePath) const;

    static QColor backgroundAt(int x, int y);

  private:
    std::string m_folder;
};

// Compares an image with tests/skin/golden/<name>.png pixel by pixel. On a mismatch (or a
// missing golden image) the actual image is written beside it as <name>.actual.png and
// false is returned; AMBRIN_UPDATE_GOLDEN=1 writes the golden image instead.
bool matchesGolden(const QImage& image, const std::string& name);

}  // namespace ambrin::test
