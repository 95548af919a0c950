#pragma once

#include <QColor>

#include "about/ClickLabel.h"

namespace ratemill {

// A web link as a label: bold, underlined, blue, with the hand cursor. With
// `redOnHover` it turns red while the mouse is over it.
class TLinkLabel : public TClickLabel {
  Q_OBJECT

 public:
  TLinkLabel(const QString& text, bool redOnHover, QWidget* parent = nullptr);

  QColor TextColor() const;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void SetTextColor(const QColor& color);

  bool FRedOnHover;
};

}  // namespace ratemill
