#include "frontend/WindowGeometry.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace ratemill {

void CentreOnScreen(QWidget& window, const QScreen* screen) {
  if (screen == nullptr) return;
  window.move(screen->availableGeometry().center() - QPoint(window.width() / 2, window.height() / 2));
}

std::optional<QRect> PlaceBeside(const QRect& beside, const QSize& size, int minimumWidth, const QRect& available) {
  const int rightRoom = available.right() - beside.right();
  const int leftRoom = beside.left() - available.left();
  const int height = std::min(size.height(), available.height());
  // Level with the other window, but never past the bottom of the room.
  const int top = std::clamp(beside.top(), available.top(), available.bottom() + 1 - height);
  if (rightRoom >= size.width()) return QRect(beside.right() + 1, top, size.width(), height);
  if (leftRoom >= size.width()) return QRect(beside.left() - size.width(), top, size.width(), height);
  const int room = std::max(leftRoom, rightRoom);
  if (room < minimumWidth) return std::nullopt;
  if (rightRoom >= leftRoom) return QRect(beside.right() + 1, top, rightRoom, height);
  return QRect(available.left(), top, leftRoom, height);
}

}  // namespace ratemill
