#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QScreen;
class QWidget;

namespace ratemill {

// The windows keep the fixed pixel positions and sizes of their original
// form layout, so that each control stands where users and the language
// texts expect it; these two helpers place them.

// Sets `widget`'s geometry within its parent and hands it back, so that a
// control is created and placed in one statement.
template <typename TWidget>
TWidget* Place(TWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(left, top, width, height);
  return widget;
}

// Moves `window` so that its centre is the centre of `screen`'s available
// area (without task bars). Without a screen the window stays where it is.
void CentreOnScreen(QWidget& window, const QScreen* screen);

// Where a window (frame included) of `size` stands beside a window whose
// frame is `beside`, wholly within `available`: to its right where there is
// room, else to its left, its top level with the other's as far as the room
// allows. Where neither side holds the whole width, the side with more room
// takes a narrower window, down to `minimumWidth`. Empty when no side has
// that much room.
std::optional<QRect> PlaceBeside(const QRect& beside, const QSize& size, int minimumWidth, const QRect& available);

}  // namespace ratemill
