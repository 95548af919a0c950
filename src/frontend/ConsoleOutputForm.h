#pragma once

#include <QWidget>
#include <cstddef>
#include <deque>
#include <string>

class QPlainTextEdit;
class QSplitter;
class QTimer;

namespace ratemill {

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
class TConsoleOutputForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxLineLength = 4096;
  static constexpr std::size_t kDefaultMaxLines = 100000;

  explicit TConsoleOutputForm(QWidget* parent = nullptr, std::size_t maxLines = kDefaultMaxLines);

  // Empties both panes, changes not shown yet included.
  void Clear();
  void AddInfoLine(const std::string& text);
  // Replaces the last line of `InfoMemo`; adds it when the pane has none.
  void ReplaceInfoLine(const std::string& text);
  void AddErrorLine(const std::string& text);
  void ReplaceErrorLine(const std::string& text);
  // Shows every change made so far now instead of at the next frame.
  void Flush();

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
  };

  void AddLine(TPane& pane, const std::string& text);
  void ReplaceLastLine(TPane& pane, const std::string& text);
  void FlushPane(TPane& pane);
  void ShowDroppedMark(TPane& pane);
  void ScheduleFlush();
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
