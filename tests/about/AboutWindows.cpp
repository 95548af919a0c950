#include "AboutWindows.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include "about/InfoForm.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"
#include "i18n/TranslateForm.h"

namespace ratemill::test {

TAboutWindows::TAboutWindows(const std::string& language, const std::string& programFile) {
  Fixture.AddConverter();
  if (!language.empty()) Fixture.WriteLanguage(language);
  Main = Fixture.CreateMainForm();
  platform::TServices services = Fixture.Services();
  if (!programFile.empty()) services.AppFileName = programFile;
  // Owned by the main window, as in the program.
  Info = new TInfoForm(services, Main.get());
  Translate = new TTranslateForm(services, Main.get());
  Console = new TConsoleOutputForm(Main.get());
  Main->SetInfoForm(Info);
  Main->SetConsoleOutputForm(Console);
  Info->SetMainForm(Main.get());
  Info->SetTranslateForm(Translate);
  Translate->SetMainForm(Main.get());
  Translate->SetInfoForm(Info);
}

TAboutWindows::~TAboutWindows() = default;

void WhenModal(std::function<void(QWidget* modal)> inside) {
  QTimer::singleShot(0, [inside = std::move(inside)] {
    QPointer<QWidget> modal = QApplication::activeModalWidget();
    inside(modal);
    if (auto* dialog = qobject_cast<QDialog*>(modal.data()); dialog && dialog->isVisible()) dialog->reject();
  });
}

}  // namespace ratemill::test
