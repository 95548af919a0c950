#pragma once

#include <QLabel>

namespace ratemill {

// A label that reports a click of the left mouse button released over it.
class TClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TClickLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace ratemill
