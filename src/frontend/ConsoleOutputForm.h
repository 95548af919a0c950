#pragma once

#include <QWidget>

class QPlainTextEdit;
class QSplitter;

namespace ratemill {

// Shows the converter's standard output (upper pane) and standard error
// (lower pane) of capture-mode runs. Closing it only hides it.
class TConsoleOutputForm : public QWidget {
  Q_OBJECT

 public:
  explicit TConsoleOutputForm(QWidget* parent = nullptr);

  QPlainTextEdit* InfoMemo = nullptr;
  QSplitter* PaneSplitter = nullptr;
  QPlainTextEdit* ErrorMemo = nullptr;
};

}  // namespace ratemill
