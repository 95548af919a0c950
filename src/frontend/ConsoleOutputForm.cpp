#include "frontend/ConsoleOutputForm.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "frontend/EventGuard.h"
#include "frontend/RunStatusModel.h"
#include "frontend/WindowGeometry.h"

namespace ratemill {
namespace {

constexpr int kClientWidth = 761;
constexpr int kClientHeight = 429;
constexpr int kInfoHeight = 270;
constexpr int kErrorHeight = 156;
constexpr int kTableHeight = 150;
constexpr int kHandleWidth = 3;
// Narrower than this, the table's columns and the converter's lines would no
// longer read well; the window then stands where it always stood.
constexpr int kMinimumWidthBeside = 560;
// File, state, progress, time, result; the reason takes the rest.
constexpr int kColumnWidths[] = {200, 130, 75, 55, 110};
// About one frame of a 60 Hz screen.
constexpr int kFlushIntervalMs = 16;
// One character takes at most four bytes in any code page the converter may
// write, so this many bytes always hold the characters a pane shows.
constexpr std::size_t kMaxLineBytes = 4 * static_cast<std::size_t>(TConsoleOutputForm::kMaxLineLength);

QPlainTextEdit* MakePane(QWidget* parent, const QColor& background) {
  auto* pane = new QPlainTextEdit(parent);
  pane->setReadOnly(true);
  // Every rewritten progress line would otherwise stay on the undo stack for
  // the pane's whole life.
  pane->setUndoRedoEnabled(false);
  pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font("Courier New");
  font.setPixelSize(11);
  pane->setFont(font);
  QPalette palette = pane->palette();
  palette.setColor(QPalette::Base, background);
  palette.setColor(QPalette::Text, parent->palette().color(QPalette::WindowText));
  pane->setPalette(palette);
  return pane;
}

bool ScrolledToBottom(const QPlainTextEdit& pane) {
  const QScrollBar* bar = pane.verticalScrollBar();
  return bar->value() >= bar->maximum();
}

void ScrollToBottom(QPlainTextEdit& pane) {
  QScrollBar* bar = pane.verticalScrollBar();
  bar->setValue(bar->maximum());
}

}  // namespace

TConsoleOutputForm::TConsoleOutputForm(QWidget* parent, std::size_t maxLines, bool statusTable)
    : QWidget(parent, Qt::Window), FMaxLines(std::max<std::size_t>(maxLines, 1)) {
  setWindowTitle("Ratemill  Console Output");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(QFont("Tahoma"));
  resize(kClientWidth, kClientHeight + (statusTable ? kTableHeight + kHandleWidth : 0));
  const QScreen* screen = QGuiApplication::primaryScreen();
  move(screen != nullptr ? screen->geometry().topLeft() : QPoint(0, 0));

  PaneSplitter = new QSplitter(Qt::Vertical, this);
  PaneSplitter->setHandleWidth(kHandleWidth);
  PaneSplitter->setChildrenCollapsible(false);
  if (statusTable) {
    RunStatus = new TRunStatusModel(this);
    RunStatusView = new QTableView(this);
    RunStatusView->setModel(RunStatus);
    RunStatusView->setSelectionBehavior(QAbstractItemView::SelectRows);
    RunStatusView->setSelectionMode(QAbstractItemView::SingleSelection);
    RunStatusView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RunStatusView->setWordWrap(false);
    RunStatusView->setTabKeyNavigation(false);
    RunStatusView->verticalHeader()->setVisible(false);
    // Rows of one height and columns of set widths: a table of thousands of
    // rows must never measure them all.
    RunStatusView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    RunStatusView->verticalHeader()->setDefaultSectionSize(RunStatusView->fontMetrics().height() + 4);
    RunStatusView->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    RunStatusView->horizontalHeader()->setStretchLastSection(true);
    for (int column = 0; column < static_cast<int>(std::size(kColumnWidths)); ++column)
      RunStatusView->setColumnWidth(column, kColumnWidths[column]);
    PaneSplitter->addWidget(RunStatusView);
    connect(RunStatusView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            Guarded([this] { RunStatusViewSelectionChanged(); }));
  }
  InfoMemo = MakePane(this, QColor(128, 255, 128));
  ErrorMemo = MakePane(this, QColor(255, 128, 128));
  PaneSplitter->addWidget(InfoMemo);
  PaneSplitter->addWidget(ErrorMemo);
  // The output pane takes what the window gains or loses; the table and the
  // error pane keep their heights until a splitter handle is dragged.
  const int first = statusTable ? 1 : 0;
  if (statusTable) PaneSplitter->setStretchFactor(0, 0);
  PaneSplitter->setStretchFactor(first, 1);
  PaneSplitter->setStretchFactor(first + 1, 0);
  if (statusTable)
    PaneSplitter->setSizes({kTableHeight, kInfoHeight, kErrorHeight});
  else
    PaneSplitter->setSizes({kInfoHeight, kErrorHeight});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(PaneSplitter);

  FInfo.Memo = InfoMemo;
  FError.Memo = ErrorMemo;
  FFlushTimer = new QTimer(this);
  FFlushTimer->setSingleShot(true);
  FFlushTimer->setInterval(kFlushIntervalMs);
  connect(FFlushTimer, &QTimer::timeout, this, &TConsoleOutputForm::Flush);
}

void TConsoleOutputForm::Clear() {
  for (TPane* pane : {&FInfo, &FError}) {
    QPlainTextEdit* memo = pane->Memo;
    memo->clear();
    *pane = TPane();
    pane->Memo = memo;
  }
  FFlushTimer->stop();
  if (RunStatus != nullptr) RunStatus->Clear();
}

void TConsoleOutputForm::AddInfoLine(const std::string& text) { AddLine(FInfo, text); }

void TConsoleOutputForm::ReplaceInfoLine(const std::string& text) { ReplaceLastLine(FInfo, text); }

void TConsoleOutputForm::AddErrorLine(const std::string& text) { AddLine(FError, text); }

void TConsoleOutputForm::ReplaceErrorLine(const std::string& text) { ReplaceLastLine(FError, text); }

void TConsoleOutputForm::Flush() {
  // Asked for by someone who heard of a change being shown: the rest waits
  // for the next frame, or it would land before the lines still on their way.
  if (FFlushing) {
    ScheduleFlush();
    return;
  }
  FFlushTimer->stop();
  FFlushing = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FFlushing};
  FlushPane(FInfo);
  FlushPane(FError);
  if (RunStatus != nullptr) RunStatus->Flush();
}

void TConsoleOutputForm::ShowBlock(std::optional<std::size_t> infoLine, std::optional<std::size_t> errorLine) {
  Flush();
  if (infoLine) ShowLine(FInfo, *infoLine);
  if (errorLine) ShowLine(FError, *errorLine);
}

void TConsoleOutputForm::ShowLine(TPane& pane, std::size_t line) {
  QTextDocument& document = *pane.Memo->document();
  // A line that gave way to newer ones is gone; the top of the pane, where
  // the mark counts it, is the nearest there is.
  int block = 0;
  if (line >= pane.DroppedLines) {
    const std::size_t shown = line - pane.DroppedLines + (pane.MarkShown ? 1 : 0);
    block = static_cast<int>(std::min<std::size_t>(shown, static_cast<std::size_t>(document.blockCount() - 1)));
  }
  // The block's first line at the top of the pane, where it begins to read;
  // the pane counts its scroll position in lines, wrapped ones included.
  const QTextBlock target = document.findBlockByNumber(block);
  pane.Memo->setTextCursor(QTextCursor(target));
  pane.Memo->verticalScrollBar()->setValue(target.firstLineNumber());
}

void TConsoleOutputForm::RunStatusViewSelectionChanged() {
  const QModelIndex current = RunStatusView->selectionModel()->currentIndex();
  if (!current.isValid()) return;
  const TRunStatusModel::TRow& row = RunStatus->Row(static_cast<std::size_t>(current.row()));
  ShowBlock(row.InfoLine, row.ErrorLine);
}

void TConsoleOutputForm::ShowBeside(const QWidget& mainWindow) {
  if (isHidden()) {
    const QScreen* screen = mainWindow.screen();
    if (screen != nullptr) {
      const QSize frame = frameGeometry().size() - size();
      const std::optional<QRect> at = PlaceBeside(mainWindow.frameGeometry(), frameGeometry().size(),
                                                  kMinimumWidthBeside + frame.width(), screen->availableGeometry());
      if (at) {
        resize(at->size() - frame);
        move(at->topLeft());
      }
    }
  }
  show();
}

void TConsoleOutputForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

namespace {

// Only the bytes that can be shown are kept, so that a line growing by a
// piece at a time costs a copy of at most `kMaxLineBytes` per piece.
void Keep(std::string& bytes, bool& cut, const std::string& text) {
  const std::size_t size = std::min(text.size(), kMaxLineBytes);
  bytes.assign(text.data(), size);
  cut = size < text.size();
}

}  // namespace

void TConsoleOutputForm::AddLine(TPane& pane, const std::string& text) {
  ++pane.Added;
  TPendingLine& line = pane.Pending.emplace_back();
  Keep(line.Bytes, line.Cut, text);
  // More new lines than a pane keeps: the oldest of them would be dropped
  // at the next frame anyway, and so would every line shown now.
  if (pane.Pending.size() > FMaxLines) {
    pane.Pending.pop_front();
    // A newer state of the last shown line is that line, which is counted
    // with the other shown lines when they go.
    if (pane.FirstReplacesLast)
      pane.FirstReplacesLast = false;
    else
      ++pane.DroppedLines;
    pane.DropDocument = true;
  }
  ScheduleFlush();
}

void TConsoleOutputForm::ReplaceLastLine(TPane& pane, const std::string& text) {
  if (!pane.Pending.empty()) {
    TPendingLine& line = pane.Pending.back();
    Keep(line.Bytes, line.Cut, text);
    ScheduleFlush();
    return;
  }
  if (pane.ShownLines == 0 || pane.DropDocument) {
    AddLine(pane, text);
    return;
  }
  TPendingLine& line = pane.Pending.emplace_back();
  Keep(line.Bytes, line.Cut, text);
  pane.FirstReplacesLast = true;
  ScheduleFlush();
}

void TConsoleOutputForm::ScheduleFlush() {
  if (!FFlushTimer->isActive()) FFlushTimer->start();
}

// The converter's bytes are text in the system's 8-bit code page. A
// character that the document takes for a block break would split one line
// into several, and a later rewrite would then replace only its tail; such a
// character (possible in a path, or in what a converter writes) shows as a
// blank instead.
QString TConsoleOutputForm::PaneText(const TPendingLine& line) const {
  QString text = QString::fromLocal8Bit(line.Bytes.data(), static_cast<qsizetype>(line.Bytes.size()));
  for (QChar& c : text) {
    if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1))
      c = u' ';
  }
  if (!line.Cut && text.size() <= kMaxLineLength) return text;
  qsizetype length = std::min<qsizetype>(text.size(), kMaxLineLength);
  // A character outside the basic plane is not cut in two.
  if (length > 0 && text.at(length - 1).isHighSurrogate()) --length;
  text.truncate(length);
  return text + QString::fromStdString(FMsgLineCut);
}

void TConsoleOutputForm::FlushPane(TPane& pane) {
  if (pane.Pending.empty() && !pane.DropDocument) return;
  // Taken out before the document changes: whoever watches the pane may add
  // lines when it hears of a change, and those belong to the next frame.
  std::deque<TPendingLine> lines;
  lines.swap(pane.Pending);
  const bool firstReplacesLast = std::exchange(pane.FirstReplacesLast, false);
  const bool dropDocument = std::exchange(pane.DropDocument, false);

  QPlainTextEdit& memo = *pane.Memo;
  QTextDocument& document = *memo.document();
  const bool follow = ScrolledToBottom(memo);

  if (dropDocument) {
    pane.DroppedLines += pane.ShownLines;
    pane.ShownLines = 0;
    pane.MarkShown = false;
    memo.clear();
  }

  // The frame's lines as one change of the document at its end: laying out
  // and telling the view once instead of once per line is what keeps a flood
  // of short lines affordable. The lines dropped at the top are a change of
  // their own, or the document would take the whole pane for changed.
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  auto line = lines.cbegin();
  if (firstReplacesLast && pane.ShownLines > 0 && line != lines.cend()) {
    // Only the last block is touched, so the cost does not grow with the
    // pane; a line that grew past what is shown changes nothing.
    const QString text = PaneText(*line++);
    const QTextBlock last = document.lastBlock();
    if (last.text() != text) {
      cursor.setPosition(last.position());
      cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
      cursor.insertText(text);
    }
  }
  if (line != lines.cend()) {
    // The new lines as one text, a block break between them: a line itself
    // never holds one (see `PaneText`).
    QString added;
    bool separate = pane.ShownLines > 0 || pane.MarkShown;
    for (; line != lines.cend(); ++line) {
      if (separate) added += QChar::ParagraphSeparator;
      added += PaneText(*line);
      separate = true;
      ++pane.ShownLines;
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
  }
  cursor.endEditBlock();

  if (pane.ShownLines > FMaxLines) {
    const std::size_t excess = pane.ShownLines - FMaxLines;
    pane.ShownLines = FMaxLines;
    pane.DroppedLines += excess;
    const int first = pane.MarkShown ? 1 : 0;
    QTextCursor top(document.findBlockByNumber(first));
    top.setPosition(document.findBlockByNumber(first + static_cast<int>(excess)).position(), QTextCursor::KeepAnchor);
    top.removeSelectedText();
  }
  if (pane.DroppedLines > 0) ShowDroppedMark(pane);
  if (follow) ScrollToBottom(memo);
}

void TConsoleOutputForm::ShowDroppedMark(TPane& pane) {
  const QString text = QString::fromStdString(FMsgLinesDropped).arg(pane.DroppedLines);
  QTextDocument& document = *pane.Memo->document();
  QTextCursor cursor(document.firstBlock());
  if (pane.MarkShown) {
    if (document.firstBlock().text() == text) return;
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    return;
  }
  pane.MarkShown = true;
  cursor.beginEditBlock();
  cursor.insertText(text);
  if (pane.ShownLines > 0) cursor.insertBlock();
  cursor.endEditBlock();
}

}  // namespace ratemill
