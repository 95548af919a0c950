#include "about/LinkLabel.h"

#include <QPalette>

namespace ratemill {

TLinkLabel::TLinkLabel(const QString& text, bool redOnHover, QWidget* parent)
    : TClickLabel(text, parent), FRedOnHover(redOnHover) {
  QFont linkFont = font();
  linkFont.setBold(true);
  linkFont.setUnderline(true);
  setFont(linkFont);
  setCursor(Qt::PointingHandCursor);
  SetTextColor(Qt::blue);
}

QColor TLinkLabel::TextColor() const { return palette().color(QPalette::WindowText); }

void TLinkLabel::enterEvent(QEnterEvent* event) {
  if (FRedOnHover) SetTextColor(Qt::red);
  TClickLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
  SetTextColor(Qt::blue);
  TClickLabel::leaveEvent(event);
}

void TLinkLabel::SetTextColor(const QColor& color) {
  QPalette colors = palette();
  colors.setColor(QPalette::WindowText, color);
  setPalette(colors);
}

}  // namespace ratemill
