#include "frontend/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "frontend/EventGuard.h"

namespace ratemill {

TUpDown::TUpDown(QLineEdit* associate, QWidget* parent)
    : QWidget(parent), FAssociate(associate), FUp(new QToolButton(this)), FDown(new QToolButton(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QToolButton* button : {FUp, FDown}) {
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    button->setAutoRepeat(true);
    layout->addWidget(button);
  }
  FUp->setArrowType(Qt::UpArrow);
  FDown->setArrowType(Qt::DownArrow);
  connect(FUp, &QToolButton::clicked, this, Guarded([this] { StepUp(); }));
  connect(FDown, &QToolButton::clicked, this, Guarded([this] { StepDown(); }));
}

void TUpDown::StepUp() { Step(+1); }
void TUpDown::StepDown() { Step(-1); }

void TUpDown::Step(int direction) {
  bool ok = false;
  const long long current = FAssociate->text().trimmed().toLongLong(&ok);
  long long value = ok ? current : FMin;
  value += static_cast<long long>(direction) * FIncrement;
  value = std::clamp<long long>(value, FMin, FMax);
  FAssociate->setText(QString::number(value));
}

}  // namespace ratemill
