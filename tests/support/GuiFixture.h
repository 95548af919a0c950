#pragma once

#include <memory>
#include <string>

#include "ScriptedServices.h"
#include "TempDir.h"
#include "platform/Services.h"

namespace ratemill {
class TMainForm;
}

namespace ratemill::test {

// A program folder of its own, scripted services and the toolkit's main-thread
// queue, for creating windows the way start-up does. Without `AddConverter`
// the folder holds no `ssrc.exe`. Errors that reach the global error
// handling are shown in `Boxes` as plain error boxes; the program itself
// reports them in the report window (`TCrashReporting`), which tests of
// the crash reporting install over this.
class TGuiFixture {
 public:
  TGuiFixture();
  ~TGuiFixture();
  TGuiFixture(const TGuiFixture&) = delete;
  TGuiFixture& operator=(const TGuiFixture&) = delete;

  const std::string& AppDir() const { return FDir.Path(); }
  std::string SettingsFile() const { return FDir / "Ratemill.ini"; }
  std::string LanguageFile() const { return FDir / "language.ini"; }

  void AddConverter() const;    // an empty `ssrc.exe`
  void AddHPConverter() const;  // an empty `ssrc_hp.exe`
  void WriteSettings(const std::string& content) const;
  void WriteLanguage(const std::string& content) const;

  platform::TServices Services();
  std::unique_ptr<TMainForm> CreateMainForm();

  TScriptedMessageBoxes Boxes;
  TScriptedDialogs Dialogs;
  TRecordingShell Shell;

 private:
  TTempDir FDir;
  std::unique_ptr<platform::IMainThreadQueue> FQueue;
};

}  // namespace ratemill::test
