#pragma once

#include <QWidget>
#include <string>

class QPlainTextEdit;
class QSplitter;

namespace ratemill {

// Shows the converter's standard output (upper pane) and standard error
// (lower pane) of capture-mode runs. Closing it only hides it.
//
// The panes are written line by line: a line is added below the others, or
// the last line is replaced by its newer state, which costs the same however
// many lines the pane holds. Each pane follows its new lines only while the
// user has it scrolled to the bottom.
class TConsoleOutputForm : public QWidget {
  Q_OBJECT

 public:
  explicit TConsoleOutputForm(QWidget* parent = nullptr);

  // Empties both panes.
  void Clear();
  void AddInfoLine(const std::string& text);
  // Replaces the last line of `InfoMemo`; adds it when the pane has none.
  void ReplaceInfoLine(const std::string& text);
  void AddErrorLine(const std::string& text);
  void ReplaceErrorLine(const std::string& text);

  QPlainTextEdit* InfoMemo = nullptr;
  QSplitter* PaneSplitter = nullptr;
  QPlainTextEdit* ErrorMemo = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  static void AddLine(QPlainTextEdit& pane, bool& hasLines, const std::string& text);
  static void ReplaceLastLine(QPlainTextEdit& pane, bool& hasLines, const std::string& text);

  // An empty pane and a pane holding one empty line look alike in the
  // document; these tell them apart, so that an empty first line is kept.
  bool FInfoHasLines = false;
  bool FErrorHasLines = false;
};

}  // namespace ratemill
