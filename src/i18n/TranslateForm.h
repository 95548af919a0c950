#pragma once

#include <QDialog>

#include "platform/Services.h"

class QPushButton;

namespace ratemill {

class TInfoForm;
class TMainForm;

// The translation editor: every translatable text in a grid, written back to
// the language file on save.
class TTranslateForm : public QDialog {
  Q_OBJECT

 public:
  explicit TTranslateForm(const platform::TServices& services, QWidget* parent = nullptr);

  void SetMainForm(TMainForm* form) { FMainForm = form; }
  void SetInfoForm(TInfoForm* form) { FInfoForm = form; }
  TMainForm* MainForm() const { return FMainForm; }
  TInfoForm* InfoForm() const { return FInfoForm; }
  const platform::TServices& Services() const { return FServices; }

  void FormCreate();
  void ApplyLanguage();

  QPushButton* SaveTranslationButton = nullptr;
  QPushButton* CancelEditTranslationButton = nullptr;

 private:
  platform::TServices FServices;
  TMainForm* FMainForm = nullptr;
  TInfoForm* FInfoForm = nullptr;
};

}  // namespace ratemill
