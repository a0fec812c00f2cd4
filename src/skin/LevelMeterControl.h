#pragma once

#include <QColor>
#include <cstdint>
#include <vector>

#include "skin/SkinControl.h"

namespace ambrin {

// A level meter ("OLEVELMETERC"): a one-pixel trace of every second sample of the last
// block, across the field, the centre line being silence. Value 1 draws the mirrored
// trace (each point followed by its mirror and the centre), anything else the plain one.
class LevelMeterControl : public SkinControl {
  public:
    LevelMeterControl(std::string name, QColor colour);

    void setLevelData(const std::int16_t* samples, size_t count);
    void paint(QPainter& painter, int scale) const override;

  private:
    QColor m_colour;
    std::vector<std::int16_t> m_samples;
};

}  // namespace ambrin
