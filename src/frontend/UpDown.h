#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace ratemill {

// A small up/down spinner beside an edit. The edit stays free text: the
// spinner only reads it when clicked, so "abc" or "00" survive until then.
class TUpDown : public QWidget {
  Q_OBJECT

 public:
  TUpDown(QLineEdit* associate, QWidget* parent = nullptr);

  int Min() const { return FMin; }
  int Max() const { return FMax; }
  int Increment() const { return FIncrement; }
  void SetMin(int value) { FMin = value; }
  void SetMax(int value) { FMax = value; }
  void SetIncrement(int value) { FIncrement = value; }

  // What a click on the upper or lower arrow does.
  void StepUp();
  void StepDown();

  QToolButton* UpButton() const { return FUp; }
  QToolButton* DownButton() const { return FDown; }

 private:
  void Step(int direction);

  QLineEdit* FAssociate;
  QToolButton* FUp;
  QToolButton* FDown;
  int FMin = 0;
  int FMax = 100;
  int FIncrement = 1;
};

}  // namespace ratemill
