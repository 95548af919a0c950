#pragma once

#include <QWidget>
#include <cstddef>
#include <deque>
#include <string>

#include <optional>

class QPlainTextEdit;
class QSplitter;
class QTableView;
class QTimer;

namespace ratemill {

class TRunStatusModel;

// Shows the converter's standard output (upper pane) and standard error
// (lower pane) of capture-mode runs. Closing it only hides it.
//
// The panes are written line by line: a line is added below the others, or
// the last line is replaced by its newer state. A converter may write faster
// than anyone can read, so the changes are collected and shown together at
// most once per screen frame, in the order they were made; a line that was
// replaced several times in between is shown once, in its last state. What a
// pane costs is bounded however much a converter writes: it shows at most
// `kMaxLineLength` characters of one line, then `FMsgLineCut`, and keeps the
// last `maxLines` lines below one mark line that counts the older ones.
// Each pane follows its new lines only while the user has it scrolled to the
// bottom.
//
// Above the panes a table shows one row per file of the run (see
// `TRunStatusModel`); selecting a row scrolls both panes to that file's block.
class TConsoleOutputForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxLineLength = 4096;
  static constexpr std::size_t kDefaultMaxLines = 100000;

  // Without `statusTable` the window has only its two panes, as before there
  // was a table; `RunStatus` and `RunStatusView` are then null.
  explicit TConsoleOutputForm(QWidget* parent = nullptr, std::size_t maxLines = kDefaultMaxLines,
                              bool statusTable = true);

  // Empties both panes, changes not shown yet included, and the table.
  void Clear();
  void AddInfoLine(const std::string& text);
  // Replaces the last line of `InfoMemo`; adds it when the pane has none.
  void ReplaceInfoLine(const std::string& text);
  void AddErrorLine(const std::string& text);
  void ReplaceErrorLine(const std::string& text);
  // Shows every change made so far now instead of at the next frame.
  void Flush();

  // How many lines have been added to a pane since it was last cleared,
  // dropped ones included: the number that the next added line will have.
  std::size_t InfoLinesAdded() const { return FInfo.Added; }
  std::size_t ErrorLinesAdded() const { return FError.Added; }
  // Scrolls each pane so that its line of that number stands at the top; a
  // line the pane has dropped scrolls it to its top. No number: the pane
  // stays as it is.
  void ShowBlock(std::optional<std::size_t> infoLine, std::optional<std::size_t> errorLine);

  // Shows the window, and when it was hidden, places it beside `mainWindow`
  // where the screen has room for it.
  void ShowBeside(const QWidget& mainWindow);

  void RunStatusViewSelectionChanged();

  TRunStatusModel* RunStatus = nullptr;
  QTableView* RunStatusView = nullptr;
  QPlainTextEdit* InfoMemo = nullptr;
  QSplitter* PaneSplitter = nullptr;
  QPlainTextEdit* ErrorMemo = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // A line as it will be shown: its first bytes, enough for
  // `kMaxLineLength` characters, and whether there were more.
  struct TPendingLine {
    std::string Bytes;
    bool Cut = false;
  };

  // One pane, the lines it shows and the changes not shown yet.
  struct TPane {
    QPlainTextEdit* Memo = nullptr;
    // The converter's lines in the document, the mark line not counted. An
    // empty pane and a pane holding one empty line look alike in the
    // document; this tells them apart, so that an empty first line is kept.
    std::size_t ShownLines = 0;
    bool MarkShown = false;
    // Lines that gave way to newer ones, as the mark line counts them.
    std::size_t DroppedLines = 0;
    std::deque<TPendingLine> Pending;
    // The first pending line is the newer state of the document's last line.
    bool FirstReplacesLast = false;
    // So many lines came since the last frame that none of the document's
    // lines stays.
    bool DropDocument = false;
    // Every line added since the pane was cleared, dropped ones included.
    std::size_t Added = 0;
  };

  void AddLine(TPane& pane, const std::string& text);
  void ReplaceLastLine(TPane& pane, const std::string& text);
  void FlushPane(TPane& pane);
  void ShowDroppedMark(TPane& pane);
  void ScheduleFlush();
  void ShowLine(TPane& pane, std::size_t line);
  QString PaneText(const TPendingLine& line) const;

  const std::size_t FMaxLines;
  TPane FInfo;
  TPane FError;
  QTimer* FFlushTimer = nullptr;
  bool FFlushing = false;

  std::string FMsgLineCut = " [...]";
  // "%1" stands for the number of lines.
  std::string FMsgLinesDropped = "[... %1 earlier lines dropped ...]";
};

}  // namespace ratemill
