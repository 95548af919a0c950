#include "app/DesktopStart.h"

#include <QGuiApplication>
#include <exception>
#include <string>

#include "i18n/LanguageSetup.h"
#include "i18n/QtTranslations.h"
#include "platform/AppDir.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolders.h"
#include "platform/Services.h"

namespace ratemill {

bool PrepareDesktopStart(QGuiApplication& application, platform::TServices& services) {
  QGuiApplication::setDesktopFileName(kDesktopFileName);

  platform::TProgramFolders folders;
  try {
    folders = platform::DecideProgramFolders(platform::GetAppDir());
  } catch (const platform::EDataDirError& error) {
    // Without a folder to keep them in, the settings of this run would be
    // lost at its end; starting anyway would promise what cannot be kept.
    services.MessageBoxes->Show(platform::TMessageKind::ErrorOk, error.what());
    return false;
  }
  services.AppDir = folders.AppDir;
  services.DataDir = folders.DataDir;

  try {
    InstallFirstStartLanguage(services.AppDir + kShippedLanguagesFolder, services.DataDir);
  } catch (const std::exception& error) {
    // The built-in texts serve in the meantime; the next start tries again.
    services.MessageBoxes->Show(platform::TMessageKind::WarningOk, error.what());
  }
  InstallQtTranslationFor(application, services.DataDir);
  return true;
}

}  // namespace ratemill
