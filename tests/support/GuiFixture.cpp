#include "GuiFixture.h"

#include "app/Application.h"
#include "frontend/MainForm.h"
#include "platform/ErrorHandling.h"
#include "platform/qt/QtMainThreadQueue.h"

namespace ratemill::test {

TGuiFixture::TGuiFixture() : FQueue(std::make_unique<platform::TQtMainThreadQueue>()) { InstallErrorBoxHandler(Boxes); }

TGuiFixture::~TGuiFixture() { platform::SetGlobalErrorHandler({}); }

void TGuiFixture::AddConverter() const { WriteFile(FDir / "ssrc.exe", ""); }
void TGuiFixture::AddHPConverter() const { WriteFile(FDir / "ssrc_hp.exe", ""); }
void TGuiFixture::WriteSettings(const std::string& content) const { WriteFile(SettingsFile(), content); }
void TGuiFixture::WriteLanguage(const std::string& content) const { WriteFile(LanguageFile(), content); }

platform::TServices TGuiFixture::Services() {
  platform::TServices services;
  services.MessageBoxes = &Boxes;
  services.Dialogs = &Dialogs;
  services.Shell = &Shell;
  services.Queue = FQueue.get();
  services.AppDir = FDir.Path();
  services.DataDir = FDir.Path();
  services.AppFileName = FDir / "ratemill";
  return services;
}

std::unique_ptr<TMainForm> TGuiFixture::CreateMainForm() { return std::make_unique<TMainForm>(Services()); }

}  // namespace ratemill::test
