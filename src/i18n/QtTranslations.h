#pragma once

#include <QString>
#include <string>

class QCoreApplication;

namespace ratemill {

// Loads the toolkit's own translation for `code` ("de") from the folder the
// toolkit's distribution keeps them in, so that message box buttons and file
// dialogs speak the program's language. The toolkit's texts stay English for
// an empty code or where that translation is not installed (Debian ships it
// apart, in qt6-translations-l10n). Returns whether one was installed.
bool InstallQtTranslation(QCoreApplication& application, const QString& code);

// The same for the language file in `dataDir`, by `ToolkitLanguageOf`.
bool InstallQtTranslationFor(QCoreApplication& application, const std::string& dataDir);

}  // namespace ratemill
