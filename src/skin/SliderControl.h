#pragma once

#include "skin/SkinControl.h"

namespace ambrin {

// A horizontal ("OSLIDERC") or vertical ("OVSLIDERC") slider. Its rectangle is the whole
// track; the thumb is one cell of the source rectangle, which holds OTHUMBSTATES rows of
// three looks (normal, under the pointer, pressed; dragging shows the second), or with
// "vert" OTHUMBSTATES columns of three looks stacked. OFRAMES of the three looks are used.
// The row follows the position, so the thumb may change its picture along the track.
//
// Positions are pixels from the track's start (left or top); the track is the control's
// length minus the thumb's. The value is the percent position * 100 / track.
class SliderControl : public SkinControl {
  public:
    struct Options {
        bool vertical = false;  // OVSLIDERC
        int thumbStates = 1;    // OTHUMBSTATES, at least 1
        int frames = 3;         // OFRAMES, 1 to 3
        int notch = -1;         // ONOTCH, percent; <= 0 none
        int notchWidth = -1;    // ONOTCHWIDTH, pixels
    };

    SliderControl(std::string name, const Options& options);

    int value() const override;
    // Percent 0 to 100; other values are ignored, and so is any value while the user drags.
    void setValue(int percent) override;
    void paint(QPainter& painter, int scale) const override;
    void pointerEntered() override;
    void press(const QPoint& at) override;
    void drag(const QPoint& at) override;
    void release(const QPoint& at) override;

    int trackLength() const;
    int pixelPosition() const { return m_position; }
    // The thumb's cell row for the present position.
    int thumbRow() const;
    QRect thumbRect() const;

  private:
    QSize thumbSize() const;
    int along(const QPoint& at) const;  // the pointer's coordinate along the track
    int trackStart() const;
    void moveTo(int position, bool snap);

    Options m_options;
    int m_position = 0;
    int m_grab = 0;  // pointer's distance from the thumb's start while dragging
    bool m_dragging = false;
};

}  // namespace ambrin
