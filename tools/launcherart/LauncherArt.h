#pragma once

#include <QImage>
#include <QPainterPath>
#include <QSize>
#include <QString>
#include <vector>

#include "SkinPalette.h"
#include "launcher/LauncherButton.h"

namespace launcherart {

// The looks of the launcher's pictures: "BACKGROUND", "FOCUS" (every button under the
// pointer) and "SELECT" (every button pressed).
enum class Look { Normal, Hover, Pressed };

// Draws the launcher's window in the shipped skins' colours and type: a welcome panel on the
// left, the buttons of the table where the table puts them.
class LauncherArt {
  public:
    static constexpr int kWidth = 500;
    static constexpr int kHeight = 264;

    LauncherArt(std::vector<ambrin::launcher::LauncherButton> buttons, bool korean,
                QString version);

    // The picture at `scale` (1, or 2 for the "@2x" pictures of dense screens).
    QImage picture(Look look, int scale = 1) const;
    // The window's outline: what lies outside is cut out of the window.
    static QPainterPath shape();

  private:
    void paintBody(QPainter& p) const;
    void paintWelcome(QPainter& p) const;
    void paintButton(QPainter& p, const ambrin::launcher::LauncherButton& button, Look look) const;
    void paintKey(QPainter& p, const QRectF& r, ambrin::launcher::ButtonAction action,
                  Look look) const;
    void paintExit(QPainter& p, const QRectF& r, Look look) const;
    void paintIcon(QPainter& p, ambrin::launcher::ButtonAction action, const QRectF& box,
                   const QColor& colour) const;
    QString label(ambrin::launcher::ButtonAction action) const;

    std::vector<ambrin::launcher::LauncherButton> m_buttons;
    bool m_korean;
    QString m_version;
    skinart::SkinPalette m_palette;
};

// A one-bit PCX image (manufacturer 10, run-length encoded, one plane) of `bits`: a pixel
// is 1 where `bits` has colour index 1.
QByteArray encodePcx(const QImage& bits);

}  // namespace launcherart
