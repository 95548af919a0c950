#include "frontend/ConsoleOutputForm.h"

#include <QFont>
#include <QPalette>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>

namespace ratemill {
namespace {

QPlainTextEdit* MakePane(QWidget* parent, const QColor& background) {
  auto* pane = new QPlainTextEdit(parent);
  pane->setReadOnly(true);
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

}  // namespace

TConsoleOutputForm::TConsoleOutputForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle("Ratemill  Console Output");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(QFont("Tahoma"));
  resize(761, 429);
  move(0, 0);

  PaneSplitter = new QSplitter(Qt::Vertical, this);
  PaneSplitter->setHandleWidth(3);
  PaneSplitter->setChildrenCollapsible(false);
  InfoMemo = MakePane(this, QColor(128, 255, 128));
  ErrorMemo = MakePane(this, QColor(255, 128, 128));
  PaneSplitter->addWidget(InfoMemo);
  PaneSplitter->addWidget(ErrorMemo);
  PaneSplitter->setStretchFactor(0, 1);
  PaneSplitter->setStretchFactor(1, 0);
  PaneSplitter->setSizes({270, 156});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(PaneSplitter);
}

}  // namespace ratemill
