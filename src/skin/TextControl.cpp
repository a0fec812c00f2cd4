#include "skin/TextControl.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "skin/SkinView.h"

namespace ambrin {

namespace {

constexpr int kScrollStep = 2;  // pixels per animation tick
constexpr int kScrollGap = 40;  // pixels between the end of the text and its next start
constexpr const char* kTimeField = "Time";

}  // namespace

TextControl::TextControl(std::string name, Style style)
    : SkinControl(Kind::Text, std::move(name)), m_style(std::move(style)) {}

QFont TextControl::font() const {
    QString family = m_style.font ? m_style.font->family() : QString();
    if ((!m_style.font || !m_style.font->found()) && m_view != nullptr &&
        !m_view->defaultFamily().isEmpty()) {
        family = m_view->defaultFamily();
    }
    QFont font(family);
    font.setPixelSize(std::max(1, m_rect.height() - 2));
    font.setWeight(m_style.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(m_style.italic);
    font.setUnderline(m_style.underline);
    return font;
}

void TextControl::setText(const std::string& text) {
    if (text != m_text) {
        m_scroll = 0;
    }
    SkinControl::setText(text);
}

int TextControl::overflow() const {
    const QFontMetrics metrics(font());
    return std::max(0, metrics.horizontalAdvance(QString::fromStdString(m_text)) - m_rect.width());
}

void TextControl::paint(QPainter& painter, int /*scale*/) const {
    if (m_text.empty()) {
        return;
    }
    const QString text = QString::fromStdString(m_text);
    painter.setFont(font());
    painter.setPen(m_style.colour);
    int horizontal = m_style.align == Align::Right    ? Qt::AlignRight
                     : m_style.align == Align::Center ? Qt::AlignHCenter
                                                      : Qt::AlignLeft;
    const int over = overflow();
    if (over > 0 && m_name == kTimeField) {
        horizontal = Qt::AlignRight;
    }
    const int flags = horizontal | Qt::AlignVCenter | Qt::TextSingleLine;
    if (over > 0 && m_name != kTimeField) {
        const int width = m_rect.width() + over;
        QRect line(m_rect.left() - m_scroll, m_rect.top(), width, m_rect.height());
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        line.translate(width + kScrollGap, 0);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        return;
    }
    // Text wider than the field is clipped at the field by the window.
    const QRect wide = horizontal == Qt::AlignRight ? m_rect.adjusted(-over, 0, 0, 0)
                                                    : m_rect.adjusted(0, 0, over, 0);
    painter.drawText(wide, flags, text);
}

bool TextControl::animate() {
    if (m_text.empty() || m_name == kTimeField) {
        return false;
    }
    const int over = overflow();
    if (over <= 0) {
        return false;
    }
    m_scroll = (m_scroll + kScrollStep) % (m_rect.width() + over + kScrollGap);
    changed();
    return true;
}

}  // namespace ambrin
