#include "AboutWindows.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include "app/ProgramWindows.h"
#include "frontend/MainForm.h"

namespace ratemill::test {

TAboutWindows::TAboutWindows(const std::string& language, const std::string& programFile) {
  Fixture.AddConverter();
  if (!language.empty()) Fixture.WriteLanguage(language);
  platform::TServices services = Fixture.Services();
  if (!programFile.empty()) services.AppFileName = programFile;
  ProgramWindows windows = CreateWindows(services);
  Main = std::move(windows.Main);
  Info = windows.InfoForm;
  Translate = windows.TranslateForm;
  Console = windows.ConsoleOutputForm;
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
