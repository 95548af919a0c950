#include "frontend/WindowGeometry.h"

#include <QScreen>
#include <QWidget>

namespace ratemill {

void CentreOnScreen(QWidget& window, const QScreen* screen) {
  if (screen == nullptr) return;
  window.move(screen->availableGeometry().center() - QPoint(window.width() / 2, window.height() / 2));
}

}  // namespace ratemill
