#pragma once

#include <QImage>
#include <QWidget>

#include "recorder/LevelBlock.h"

namespace ambrin {

// The live input waveform of the volume wizard: white on black, drawn from a LevelBlock
// snapshot into an off-screen image that painting copies. GUI thread.
class WaveformView : public QWidget {
  public:
    explicit WaveformView(QWidget* parent = nullptr);

    // Redraws the image from `level`.
    void draw(const LevelBlock::Snapshot& level);
    const QImage& image() const { return m_image; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage m_image;
};

}  // namespace ambrin
