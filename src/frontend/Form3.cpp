#include "frontend/Form3.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/EventGuard.h"

namespace ratemill {

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Ratemill Systemfehler");
  Memo1 = new QPlainTextEdit(this);
  Button1 = new QPushButton("&O.K.", this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo1, 1);
  layout->addWidget(Button1, 0, Qt::AlignHCenter);
  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
}

void TForm3::Button1Click() { close(); }

}  // namespace ratemill
