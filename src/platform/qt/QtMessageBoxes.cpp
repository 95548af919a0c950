#include "platform/qt/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace ratemill::platform {
namespace {

struct TButtonSpec {
  const char* Text;
  QMessageBox::ButtonRole Role;
  TMessageAnswer Answer;
};

const TButtonSpec kOk{"OK", QMessageBox::AcceptRole, TMessageAnswer::Ok};
const TButtonSpec kYes{"&Ja", QMessageBox::YesRole, TMessageAnswer::Yes};
const TButtonSpec kNo{"&Nein", QMessageBox::NoRole, TMessageAnswer::No};
const TButtonSpec kCancel{"Abbrechen", QMessageBox::RejectRole, TMessageAnswer::Cancel};

std::vector<TButtonSpec> ButtonsOf(TMessageKind kind) {
  switch (kind) {
    case TMessageKind::ConfirmYesCancel: return {kYes, kCancel};
    case TMessageKind::WarningYesNo:
    case TMessageKind::ErrorYesNo:
    case TMessageKind::ConfirmYesNo: return {kYes, kNo};
    case TMessageKind::ErrorOk:
    case TMessageKind::WarningOk:
    case TMessageKind::PlainOk: break;
  }
  return {kOk};
}

QMessageBox::Icon IconOf(TMessageKind kind) {
  switch (kind) {
    case TMessageKind::ErrorOk:
    case TMessageKind::ErrorYesNo: return QMessageBox::Critical;
    case TMessageKind::WarningOk:
    case TMessageKind::WarningYesNo: return QMessageBox::Warning;
    case TMessageKind::ConfirmYesCancel:
    case TMessageKind::ConfirmYesNo: return QMessageBox::Question;
    case TMessageKind::PlainOk: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

TQtMessageBoxes::TQtMessageBoxes(std::string applicationTitle) : FApplicationTitle(std::move(applicationTitle)) {}

TMessageAnswer TQtMessageBoxes::Show(TMessageKind kind, const std::string& text) {
  // Texts carry Windows line breaks; the box wants plain ones.
  QString shown = QString::fromStdString(text);
  shown.replace("\r\n", "\n");

  QMessageBox box(IconOf(kind), QString::fromStdString(MessageCaption(kind, FApplicationTitle)), shown,
                  QMessageBox::NoButton, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  std::vector<std::pair<QAbstractButton*, TMessageAnswer>> answers;
  for (const TButtonSpec& choice : ButtonsOf(kind)) {
    QPushButton* button = box.addButton(QString::fromUtf8(choice.Text), choice.Role);
    answers.emplace_back(button, choice.Answer);
    if (choice.Answer == TMessageAnswer::Cancel || choice.Answer == TMessageAnswer::No) box.setEscapeButton(button);
  }
  box.setDefaultButton(static_cast<QPushButton*>(answers.front().first));
  box.exec();

  const QAbstractButton* clicked = box.clickedButton();
  for (const auto& [button, answer] : answers) {
    if (button == clicked) return answer;
  }
  return TMessageAnswer::Closed;
}

}  // namespace ratemill::platform
