#include "i18n/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "i18n/LanguageSetup.h"
#include "i18n/TextCatalogue.h"

namespace ratemill {

bool InstallQtTranslation(QCoreApplication& application, const QString& code) {
  if (code.isEmpty()) return false;
  // Owned by the application: a translator must outlive every text it serves.
  auto* translator = new QTranslator(&application);
  if (!translator->load("qtbase_" + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

bool InstallQtTranslationFor(QCoreApplication& application, const std::string& dataDir) {
  return InstallQtTranslation(application, QString::fromStdString(ToolkitLanguageOf(LanguageFileName(dataDir))));
}

}  // namespace ratemill
