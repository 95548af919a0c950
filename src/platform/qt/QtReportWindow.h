#pragma once

#include <QDialog>
#include <memory>

#include "crash/CloseCountdown.h"
#include "platform/ReportWindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ratemill::platform {

// The report window: what happened, five answers, and a countdown after
// which the window answers by itself. Escape and the close box mean
// "continue", the safe answer, which is also the default button.
class TReportForm : public QDialog {
  Q_OBJECT

 public:
  TReportForm(const TReportRequest& request, crash::TCloseCountdown::TClock clock, QWidget* parent = nullptr);

  TReportAnswer Answer() const { return FAnswer; }

  // Handlers.
  void SendButtonClick();
  void ShowReportButtonClick();
  void ContinueButtonClick();
  void RestartButtonClick();
  void CloseProgramButtonClick();
  // Once a second: the seconds left, and the end once there are none.
  void CountdownTimerTimer();

  QLabel* HeadLabel = nullptr;
  QLabel* MessageLabel = nullptr;
  QLabel* CountdownLabel = nullptr;
  QPushButton* SendButton = nullptr;
  QPushButton* ShowReportButton = nullptr;
  QPushButton* ContinueButton = nullptr;
  QPushButton* RestartButton = nullptr;
  QPushButton* CloseProgramButton = nullptr;
  QTimer* CountdownTimer = nullptr;
  // The report as it would be sent, read-only; made on the first Show.
  QDialog* ReportView = nullptr;
  QPlainTextEdit* ReportText = nullptr;

 protected:
  void reject() override;

 private:
  void Finish(TReportAnswer answer);
  void ShowSecondsLeft();

  TReportRequest FRequest;
  crash::TCloseCountdown FCountdown;
  TReportAnswer FAnswer = TReportAnswer::Continue;
  // The text shown while counting, with "%1" for the seconds left.
  QString FMsgCountdown;
};

// The report window as the platform's dialog service.
class TQtReportWindow : public IReportWindow {
 public:
  explicit TQtReportWindow(crash::TCloseCountdown::TClock clock = std::chrono::steady_clock::now);
  TReportAnswer Show(const TReportRequest& request) override;

 private:
  crash::TCloseCountdown::TClock FClock;
};

}  // namespace ratemill::platform
