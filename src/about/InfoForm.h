#pragma once

#include <QDialog>
#include <string>

#include "platform/Services.h"

class QPushButton;

namespace ratemill {

class TMainForm;
class TTranslateForm;

// The About window: the program's name and version, and the way into the
// translation editor and the debug-mode switch.
class TInfoForm : public QDialog {
  Q_OBJECT

 public:
  explicit TInfoForm(const platform::TServices& services, QWidget* parent = nullptr);

  void SetMainForm(TMainForm* form) { FMainForm = form; }
  void SetTranslateForm(TTranslateForm* form) { FTranslateForm = form; }
  TMainForm* MainForm() const { return FMainForm; }
  TTranslateForm* TranslateForm() const { return FTranslateForm; }
  const platform::TServices& Services() const { return FServices; }

  void FormCreate();
  void ApplyLanguage();

  QPushButton* TranslateButton = nullptr;
  QPushButton* Button1 = nullptr;

  std::string FMsgEnableDebugMode;
  std::string FMsgDisableDebugMode;

 private:
  platform::TServices FServices;
  TMainForm* FMainForm = nullptr;
  TTranslateForm* FTranslateForm = nullptr;
};

}  // namespace ratemill
