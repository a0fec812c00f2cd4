#pragma once

#include <QColor>
#include <cstdint>
#include <vector>

#include "skin/SkinControl.h"

namespace ambrin {

// A level meter ("OLEVELMETERC"): a one-pixel trace of every second sample of the last
// block, across the field, the centre line being silence. Value 1 draws the mirrored
// trace (each point followed by its mirror and the centre), 2 nothing, anything else the
// plain one. A click on it is reported (the owner cycles the styles).
class LevelMeterControl : public SkinControl {
  public:
    static constexpr int kMirrored = 1;
    static constexpr int kOff = 2;

    LevelMeterControl(std::string name, QColor colour);

    void setLevelData(const std::int16_t* samples, size_t count);
    void paint(QPainter& painter, int scale) const override;
    void release(const QPoint& at) override;

  private:
    QColor m_colour;
    std::vector<std::int16_t> m_samples;
};

}  // namespace ambrin
