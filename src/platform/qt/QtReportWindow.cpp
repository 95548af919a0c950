#include "platform/qt/QtReportWindow.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace ratemill::platform {
namespace {

QPushButton* MakeButton(const char* name, const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  QString accessible = text;
  button->setAccessibleName(accessible.remove('&'));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TReportForm::TReportForm(const TReportRequest& request, crash::TCloseCountdown::TClock clock, QWidget* parent)
    : QDialog(parent), FRequest(request), FCountdown(std::move(clock)) {
  setObjectName("ReportForm");
  setWindowTitle("Ratemill");
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  HeadLabel = new QLabel("Ein Fehler ist in der Anwendung aufgetreten", this);
  HeadLabel->setObjectName("HeadLabel");
  QFont bold = HeadLabel->font();
  bold.setBold(true);
  HeadLabel->setFont(bold);

  QString message = QString::fromStdString(request.Message);
  message.replace("\r\n", "\n");
  MessageLabel = new QLabel(message, this);
  MessageLabel->setObjectName("MessageLabel");
  MessageLabel->setTextFormat(Qt::PlainText);
  MessageLabel->setWordWrap(true);
  MessageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  MessageLabel->setMinimumWidth(420);

  FMsgCountdown = request.PreviousRun ? QStringLiteral("Das Fenster schließt sich in %1 Sekunden.")
                                      : QStringLiteral("Das Programm wird in %1 Sekunden beendet.");
  CountdownLabel = new QLabel(this);
  CountdownLabel->setObjectName("CountdownLabel");

  SendButton = MakeButton("SendButton", "&Senden", this);
  ShowReportButton = MakeButton("ShowReportButton", "Bericht &anzeigen", this);
  ContinueButton = MakeButton("ContinueButton", "&Fortsetzen", this);
  RestartButton = MakeButton("RestartButton", "&Neu starten", this);
  CloseProgramButton = MakeButton("CloseProgramButton", "Programm &beenden", this);
  ContinueButton->setDefault(true);
  ContinueButton->setAutoDefault(true);
  RestartButton->setVisible(!request.PreviousRun);
  CloseProgramButton->setVisible(!request.PreviousRun);

  connect(SendButton, &QPushButton::clicked, this, [this] { SendButtonClick(); });
  connect(ShowReportButton, &QPushButton::clicked, this, [this] { ShowReportButtonClick(); });
  connect(ContinueButton, &QPushButton::clicked, this, [this] { ContinueButtonClick(); });
  connect(RestartButton, &QPushButton::clicked, this, [this] { RestartButtonClick(); });
  connect(CloseProgramButton, &QPushButton::clicked, this, [this] { CloseProgramButtonClick(); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(SendButton);
  buttons->addWidget(ShowReportButton);
  buttons->addStretch();
  buttons->addWidget(ContinueButton);
  buttons->addWidget(RestartButton);
  buttons->addWidget(CloseProgramButton);
  // The error icon of the message boxes, so that the window reads as one of
  // their kind at a glance.
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  texts->addWidget(HeadLabel);
  texts->addWidget(MessageLabel);
  texts->addWidget(CountdownLabel);
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addLayout(texts, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Tab order follows the buttons from left to right; the default button has
  // the focus, so Enter continues.
  setTabOrder(SendButton, ShowReportButton);
  setTabOrder(ShowReportButton, ContinueButton);
  setTabOrder(ContinueButton, RestartButton);
  setTabOrder(RestartButton, CloseProgramButton);
  ContinueButton->setFocus();

  CountdownTimer = new QTimer(this);
  CountdownTimer->setObjectName("CountdownTimer");
  CountdownTimer->setInterval(1000);
  connect(CountdownTimer, &QTimer::timeout, this, [this] { CountdownTimerTimer(); });
  CountdownTimer->start();
  ShowSecondsLeft();
}

void TReportForm::SendButtonClick() { Finish(TReportAnswer::Send); }

void TReportForm::ShowReportButtonClick() {
  if (!ReportView) {
    ReportView = new QDialog(this);
    ReportView->setObjectName("ReportView");
    ReportView->setWindowTitle("Ratemill - Fehlerbericht");
    auto* label = new QLabel("&Bericht, wie er gesendet würde:", ReportView);
    ReportText = new QPlainTextEdit(ReportView);
    ReportText->setObjectName("ReportText");
    ReportText->setAccessibleName("Bericht");
    ReportText->setReadOnly(true);
    ReportText->setLineWrapMode(QPlainTextEdit::NoWrap);
    ReportText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ReportText->setPlainText(QString::fromStdString(FRequest.Report));
    label->setBuddy(ReportText);
    auto* close = MakeButton("CloseReportButton", "Schl&ießen", ReportView);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, ReportView, &QDialog::accept);
    auto* layout = new QVBoxLayout(ReportView);
    layout->addWidget(label);
    layout->addWidget(ReportText);
    layout->addWidget(close, 0, Qt::AlignRight);
    ReportView->resize(720, 480);
  }
  // A child of the modal window, so it takes input while the window waits.
  ReportView->show();
  ReportView->raise();
  ReportView->activateWindow();
}

void TReportForm::ContinueButtonClick() { Finish(TReportAnswer::Continue); }
void TReportForm::RestartButtonClick() { Finish(TReportAnswer::Restart); }
void TReportForm::CloseProgramButtonClick() { Finish(TReportAnswer::Close); }

void TReportForm::CountdownTimerTimer() {
  if (FCountdown.Expired()) {
    // Left alone, a window about an error in this run ends the program; one
    // about the previous run has nothing to end and only goes away.
    Finish(FRequest.PreviousRun ? TReportAnswer::Continue : TReportAnswer::Close);
    return;
  }
  ShowSecondsLeft();
}

void TReportForm::reject() { Finish(TReportAnswer::Continue); }

void TReportForm::Finish(TReportAnswer answer) {
  CountdownTimer->stop();
  FAnswer = answer;
  if (ReportView) ReportView->close();
  done(answer == TReportAnswer::Continue ? QDialog::Rejected : QDialog::Accepted);
}

void TReportForm::ShowSecondsLeft() { CountdownLabel->setText(FMsgCountdown.arg(FCountdown.SecondsLeft())); }

TQtReportWindow::TQtReportWindow(crash::TCloseCountdown::TClock clock) : FClock(std::move(clock)) {}

TReportAnswer TQtReportWindow::Show(const TReportRequest& request) {
  TReportForm form(request, FClock, QApplication::activeWindow());
  form.exec();
  return form.Answer();
}

}  // namespace ratemill::platform
