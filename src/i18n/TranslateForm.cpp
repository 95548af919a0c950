#include "i18n/TranslateForm.h"

#include <QPushButton>

#include "frontend/EventGuard.h"
#include "i18n/TextCatalogue.h"
#include "platform/IniFile.h"

namespace ratemill {

TTranslateForm::TTranslateForm(const platform::TServices& services, QWidget* parent)
    : QDialog(parent), FServices(services) {
  setWindowTitle("Ratemill - Programm übersetzen");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(769, 399);
  QFont font("Tahoma");
  font.setPixelSize(11);
  setFont(font);

  SaveTranslationButton = new QPushButton("Speichern", this);
  SaveTranslationButton->setGeometry(686, 366, 75, 25);
  CancelEditTranslationButton = new QPushButton("abbrechen", this);
  CancelEditTranslationButton->setGeometry(8, 368, 75, 25);
  connect(CancelEditTranslationButton, &QPushButton::clicked, this, Guarded([this] { reject(); }));

  FormCreate();
}

void TTranslateForm::FormCreate() { ApplyLanguage(); }

void TTranslateForm::ApplyLanguage() {
  const platform::TIniFile file(LanguageFileName(FServices.AppDir));
  CancelEditTranslationButton->setText(
      QString::fromStdString(ReadWindowText(file, TTextId::TranslationCancelButton)));
  SaveTranslationButton->setText(QString::fromStdString(ReadWindowText(file, TTextId::TranslationSaveButton)));
  setWindowTitle(QString::fromStdString(ReadWindowText(file, TTextId::TranslationWindowCaption)));
}

}  // namespace ratemill
