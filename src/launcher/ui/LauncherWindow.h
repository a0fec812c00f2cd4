#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <vector>

#include "launcher/LauncherButton.h"

namespace ambrin::launcher {

class PcxImage;

// The launcher's picture window: no frame, shaped by the one-bit shape image, painting
// "BACKGROUND" with the button under the pointer copied from "FOCUS" (hover) or "SELECT"
// (pressed). The hand cursor shows over a button; a press outside every button drags the
// window. A press on a button hands its action to the owner once the pressed picture is
// on the screen. Lives on the GUI thread.
class LauncherWindow : public QWidget {
  public:
    struct Pictures {
        QImage background;  // "BACKGROUND"
        QImage focus;       // "FOCUS": every button in its hover look; gives the window's size
        QImage select;      // "SELECT": every button pressed
        // Pictures drawn for dense screens carry their device pixel ratio (2 for "@2x").
    };
    using ActionHandler = std::function<void(ButtonAction)>;

    LauncherWindow(Pictures pictures, std::vector<LauncherButton> buttons, ActionHandler handler);

    // Cuts the window to the shape image: pixels whose bit is 1 are outside. An image of
    // another size than the window's leaves the window rectangular. False in that case.
    bool setShape(const PcxImage& shape);
    // The region of the pixels whose bit is 0.
    static QRegion regionOf(const PcxImage& shape);

    // Centres the window in the work area of the screen and shows it.
    void showCentred();
    // Shows the window normally and brings it to the front.
    void bringToFront();

    // The index of the button under the pointer, -1 for none.
    int currentButton() const { return m_current; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void pointerAt(const QPoint& position);

    Pictures m_pictures;
    std::vector<LauncherButton> m_buttons;
    ActionHandler m_handler;
    int m_current = -1;
    bool m_pressed = false;
    bool m_dragging = false;
    QPoint m_dragOffset;  // from the window's corner to the pointer, while dragging
};

}  // namespace ambrin::launcher
