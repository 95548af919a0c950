#include "frontend/ConsoleOutputForm.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace ratemill {
namespace {

constexpr int kClientWidth = 761;
constexpr int kClientHeight = 429;
constexpr int kInfoHeight = 270;
constexpr int kErrorHeight = 156;

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

// The converter's bytes are text in the system's 8-bit code page. A
// character that the document takes for a block break would split one line
// into several, and a later rewrite would then replace only its tail; such a
// character (possible in a path, or in what a converter writes) shows as a
// blank instead.
QString PaneText(const std::string& text) {
  QString line = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
  for (QChar& c : line) {
    if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1))
      c = u' ';
  }
  return line;
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

TConsoleOutputForm::TConsoleOutputForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle("Ratemill  Console Output");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(QFont("Tahoma"));
  resize(kClientWidth, kClientHeight);
  const QScreen* screen = QGuiApplication::primaryScreen();
  move(screen != nullptr ? screen->geometry().topLeft() : QPoint(0, 0));

  PaneSplitter = new QSplitter(Qt::Vertical, this);
  PaneSplitter->setHandleWidth(3);
  PaneSplitter->setChildrenCollapsible(false);
  InfoMemo = MakePane(this, QColor(128, 255, 128));
  ErrorMemo = MakePane(this, QColor(255, 128, 128));
  PaneSplitter->addWidget(InfoMemo);
  PaneSplitter->addWidget(ErrorMemo);
  // The upper pane takes what the window gains or loses; the lower one keeps
  // its height until the splitter is dragged.
  PaneSplitter->setStretchFactor(0, 1);
  PaneSplitter->setStretchFactor(1, 0);
  PaneSplitter->setSizes({kInfoHeight, kErrorHeight});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(PaneSplitter);
}

void TConsoleOutputForm::Clear() {
  InfoMemo->clear();
  ErrorMemo->clear();
  FInfoHasLines = false;
  FErrorHasLines = false;
}

void TConsoleOutputForm::AddInfoLine(const std::string& text) { AddLine(*InfoMemo, FInfoHasLines, text); }

void TConsoleOutputForm::ReplaceInfoLine(const std::string& text) { ReplaceLastLine(*InfoMemo, FInfoHasLines, text); }

void TConsoleOutputForm::AddErrorLine(const std::string& text) { AddLine(*ErrorMemo, FErrorHasLines, text); }

void TConsoleOutputForm::ReplaceErrorLine(const std::string& text) {
  ReplaceLastLine(*ErrorMemo, FErrorHasLines, text);
}

void TConsoleOutputForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

void TConsoleOutputForm::AddLine(QPlainTextEdit& pane, bool& hasLines, const std::string& text) {
  const bool follow = ScrolledToBottom(pane);
  QTextCursor cursor(pane.document());
  cursor.movePosition(QTextCursor::End);
  if (hasLines) cursor.insertBlock();
  cursor.insertText(PaneText(text));
  hasLines = true;
  if (follow) ScrollToBottom(pane);
}

void TConsoleOutputForm::ReplaceLastLine(QPlainTextEdit& pane, bool& hasLines, const std::string& text) {
  if (!hasLines) {
    AddLine(pane, hasLines, text);
    return;
  }
  const bool follow = ScrolledToBottom(pane);
  // Only the last block is touched, so the cost does not grow with the pane.
  QTextCursor cursor(pane.document()->lastBlock());
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(PaneText(text));
  if (follow) ScrollToBottom(pane);
}

}  // namespace ratemill
