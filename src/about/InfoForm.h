#pragma once

#include <QDialog>
#include <string>

#include "platform/Services.h"

class QLabel;
class QPushButton;

namespace ratemill {

class TClickLabel;
class TLinkLabel;
class TMainForm;
class TTranslateForm;

// The About window: the program's name and version, credits with links, the
// way into the translation editor, and the debug-mode switch hidden in a
// click on the program's name.
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

  // Event handlers.
  void Button1Click();
  void ProgramNameLabelClick();
  void MakerLinkLabelClick();
  void MailLinkLabelClick();
  void ConverterLinkLabelClick();
  void LibraryLinkLabelClick();
  void TranslateButtonClick();

  // Controls, from top to bottom.
  QLabel* Image1 = nullptr;
  TLinkLabel* MakerLinkLabel = nullptr;
  TClickLabel* ProgramNameLabel = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  TLinkLabel* ConverterLinkLabel = nullptr;
  QLabel* Label5 = nullptr;
  TLinkLabel* LibraryLinkLabel = nullptr;
  QLabel* Image2 = nullptr;
  QLabel* Label4 = nullptr;
  TLinkLabel* MailLinkLabel = nullptr;
  QPushButton* TranslateButton = nullptr;
  QPushButton* Button1 = nullptr;

  std::string FMsgEnableDebugMode;
  std::string FMsgDisableDebugMode;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();

  platform::TServices FServices;
  TMainForm* FMainForm = nullptr;
  TTranslateForm* FTranslateForm = nullptr;
};

}  // namespace ratemill
