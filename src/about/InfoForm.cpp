#include "about/InfoForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/EventGuard.h"

namespace ratemill {

TInfoForm::TInfoForm(const platform::TServices& services, QWidget* parent)
    : QDialog(parent), FServices(services) {
  setWindowTitle("About Ratemill");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(370, 310);

  auto* name = new QLabel("Ratemill", this);
  QFont nameFont("Arial");
  nameFont.setPixelSize(32);
  name->setFont(nameFont);
  TranslateButton = new QPushButton(this);
  Button1 = new QPushButton("O.K.", this);
  Button1->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(TranslateButton);
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(name, 0, Qt::AlignHCenter);
  layout->addStretch(1);
  layout->addLayout(buttons);

  connect(Button1, &QPushButton::clicked, this, Guarded([this] { close(); }));

  FormCreate();
}

void TInfoForm::FormCreate() { ApplyLanguage(); }

}  // namespace ratemill
