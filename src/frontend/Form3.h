#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace ratemill {

// The system-error window. Kept for its place in the start-up order; the
// program does not show it.
class TForm3 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* parent = nullptr);

  void Button1Click();

  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Button1 = nullptr;
};

}  // namespace ratemill
