#pragma once

#include <QDialog>

#include "platform/Services.h"

class QPushButton;
class QTableView;
class QTableWidget;
class QTableWidgetItem;

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
  // The grid from the language file: one row per catalogue text, in order.
  void FillGrid();
  // Column 1 of every row to the language file. Throws `EIniFileError` at the
  // first row that cannot be written; the rows before it stay written.
  void SaveGrid();

  // Event handlers.
  void SaveTranslationButtonClick();
  void CancelEditTranslationButtonClick();

  QPushButton* SaveTranslationButton = nullptr;
  QPushButton* CancelEditTranslationButton = nullptr;
  QTableWidget* TranslateGrid = nullptr;
  // The copy of the "Name" column that stays at the left edge while the grid
  // scrolls sideways.
  QTableView* FixedColumnView = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateGrid();
  void PlaceFixedColumn();
  void UpdateToolTip(QTableWidgetItem* item);
  void CommitOpenEditor();

  platform::TServices FServices;
  TMainForm* FMainForm = nullptr;
  TInfoForm* FInfoForm = nullptr;
};

}  // namespace ratemill
