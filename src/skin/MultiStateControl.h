#pragma once

#include "skin/ButtonControl.h"

namespace ambrin {

// A button with ONUMSTATES value states ("OMULTISTATEC"): a grid of four looks (as a
// button's) by one row per state, whatever the style. The value picks the row and is
// kept within 0 to ONUMSTATES - 1. OTOOLTIP may give one text per state, split at "|".
class MultiStateControl : public ButtonControl {
  public:
    MultiStateControl(std::string name, int states);

    int states() const { return m_states; }
    void setValue(int value) override;
    std::string tooltip() const override;

  protected:
    QRect cell(int look) const override;

  private:
    int m_states;
};

}  // namespace ambrin
