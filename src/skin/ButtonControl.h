#pragma once

#include "skin/SkinControl.h"

namespace ambrin {

// A push button ("OBUTTONC") of four looks cut from its source rectangle: cell 0 normal,
// 1 under the pointer, 2 disabled, 3 pressed (also while pressed with the pointer
// outside). A click, press and release on the button, notifies 0, or 6 when the button
// carries a window name (OCHANGEWINDOW) or an address (URL), which is then its text.
class ButtonControl : public SkinControl {
  public:
    explicit ButtonControl(std::string name);

    void paint(QPainter& painter, int scale) const override;
    void press(const QPoint& at) override;
    void drag(const QPoint& at) override;
    void release(const QPoint& at) override;

  protected:
    // The cell column of the present state.
    int lookColumn() const;
    // The cell of a look; multi-state buttons pick their row.
    virtual QRect cell(int look) const;
};

}  // namespace ambrin
