#pragma once

#include <QColor>
#include <QFont>

#include "skin/FontResource.h"
#include "skin/SkinControl.h"

namespace ambrin {

// A text field ("OTEXTC"): one line in the skin's font, its character height the field's
// height minus 2 pixels, drawn over the restored background in OCOLOR, vertically centred
// and aligned by OALIGN. A text wider than the field: the field named "Time" shows its end
// (right-aligned); any other field scrolls it a little every animation tick.
class TextControl : public SkinControl {
  public:
    enum class Align { Left, Center, Right };

    struct Style {
        std::shared_ptr<FontResource> font;
        QColor colour = Qt::black;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        Align align = Align::Left;
    };

    TextControl(std::string name, Style style);

    void setText(const std::string& text) override;
    void paint(QPainter& painter, int scale) const override;
    bool animate() override;

    // By how many pixels the text is wider than the field (0 when it fits).
    int overflow() const;
    QFont font() const;

  private:
    Style m_style;
    int m_scroll = 0;  // pixels the scrolling text has moved left
};

}  // namespace ambrin
