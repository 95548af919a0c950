#include "about/ClickLabel.h"

#include <QMouseEvent>

namespace ratemill {

TClickLabel::TClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setTextFormat(Qt::PlainText); }

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  // A press dragged off the label before release is no click, as with buttons.
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

}  // namespace ratemill
