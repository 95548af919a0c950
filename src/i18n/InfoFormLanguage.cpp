#include <QPushButton>

#include "about/InfoForm.h"
#include "i18n/TextCatalogue.h"
#include "platform/IniFile.h"

namespace ratemill {

void TInfoForm::ApplyLanguage() {
  const platform::TIniFile file(LanguageFileName(FServices.DataDir));
  TranslateButton->setText(QString::fromStdString(ReadWindowText(file, TTextId::InfoTranslateButton)));
  FMsgEnableDebugMode = ReadWindowText(file, TTextId::EnableDebugMode);
  FMsgDisableDebugMode = ReadWindowText(file, TTextId::DisableDebugMode);
}

}  // namespace ratemill
