#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramStart.h"
#include "platform/ReportWindow.h"
#include "platform/Shell.h"

namespace ratemill::test {

// Message boxes answered from a script, in order; every box shown is recorded.
// A box shown with no answer left fails the test that caused it (the answer
// is `Closed` and `Unanswered()` counts it), so no test ever waits on a box.
class TScriptedMessageBoxes : public platform::IMessageBoxes {
 public:
  struct TShown {
    platform::TMessageKind Kind;
    std::string Text;
  };

  void Answer(platform::TMessageAnswer answer) { FAnswers.push_back(answer); }
  platform::TMessageAnswer Show(platform::TMessageKind kind, const std::string& text) override;

  const std::vector<TShown>& Shown() const { return FShown; }
  void ClearShown() { FShown.clear(); }
  int Unanswered() const { return FUnanswered; }
  std::size_t AnswersLeft() const { return FAnswers.size(); }

  // Called for every box as it is shown, before it is answered: lets a test
  // look at what else has happened by then.
  std::function<void(const TShown&)> OnShow;

 private:
  std::deque<platform::TMessageAnswer> FAnswers;
  std::vector<TShown> FShown;
  int FUnanswered = 0;
};

// File and folder dialogs answered from a script; `std::nullopt` is Cancel.
// Every request is recorded so tests can check titles, filters and folders.
class TScriptedDialogs : public platform::IDialogs {
 public:
  void NextOpenFiles(std::optional<std::vector<std::string>> result) { FOpenFiles.push_back(std::move(result)); }
  void NextBrowseFolder(std::optional<std::string> result) { FFolders.push_back(std::move(result)); }
  void NextChooseFile(std::optional<std::string> result) { FFiles.push_back(std::move(result)); }

  std::optional<std::vector<std::string>> OpenFiles(const platform::TOpenFilesRequest& request) override;
  std::optional<std::string> BrowseFolder(const platform::TBrowseFolderRequest& request) override;
  std::optional<std::string> ChooseFile(const platform::TOpenFileRequest& request) override;

  std::vector<platform::TOpenFilesRequest> OpenFilesRequests;
  std::vector<platform::TBrowseFolderRequest> BrowseFolderRequests;
  std::vector<platform::TOpenFileRequest> ChooseFileRequests;
  int Unanswered = 0;

 private:
  std::deque<std::optional<std::vector<std::string>>> FOpenFiles;
  std::deque<std::optional<std::string>> FFolders;
  std::deque<std::optional<std::string>> FFiles;
};

// Records the addresses it is asked to open.
class TRecordingShell : public platform::IShell {
 public:
  void OpenAddress(const std::string& address) override { Opened.push_back(address); }
  std::vector<std::string> Opened;
};

// The report window answered from a script, in order; every request is
// recorded. A window shown with no answer left is counted in `Unanswered`
// and answered `Continue`, so that no test waits on it or ends by accident.
class TScriptedReportWindow : public platform::IReportWindow {
 public:
  void Answer(platform::TReportAnswer answer) { FAnswers.push_back(answer); }
  platform::TReportAnswer Show(const platform::TReportRequest& request) override;

  std::vector<platform::TReportRequest> Shown;
  int Unanswered = 0;

 private:
  std::deque<platform::TReportAnswer> FAnswers;
};

// Records the programs it is asked to start instead of starting them; with
// `FailWith` set it fails as the platform's starter does.
class TRecordingProgramStarter : public platform::IProgramStarter {
 public:
  struct TStart {
    std::string Executable;
    std::string Folder;
  };
  void StartDetached(const std::string& executable, const std::string& folder) override;

  std::vector<TStart> Started;
  int FailWith = 0;  // an errno value
  // Called at each start, before it is recorded, to look at the state then.
  std::function<void()> OnStart;
};

}  // namespace ratemill::test
