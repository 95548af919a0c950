#include "ScriptedServices.h"

#include "platform/Errors.h"

namespace ratemill::test {

platform::TMessageAnswer TScriptedMessageBoxes::Show(platform::TMessageKind kind, const std::string& text) {
  FShown.push_back({kind, text});
  if (OnShow) OnShow(FShown.back());
  if (FAnswers.empty()) {
    ++FUnanswered;
    return platform::TMessageAnswer::Closed;
  }
  auto answer = FAnswers.front();
  FAnswers.pop_front();
  return answer;
}

template <typename T>
static std::optional<T> TakeNext(std::deque<std::optional<T>>& queue, int& unanswered) {
  if (queue.empty()) {
    ++unanswered;
    return std::nullopt;
  }
  // Moving the value out field by field keeps GCC 12 from a false
  // "may be used uninitialized" on a moved optional.
  std::optional<T> result;
  if (queue.front().has_value()) result.emplace(std::move(*queue.front()));
  queue.pop_front();
  return result;
}

std::optional<std::vector<std::string>> TScriptedDialogs::OpenFiles(const platform::TOpenFilesRequest& request) {
  OpenFilesRequests.push_back(request);
  return TakeNext(FOpenFiles, Unanswered);
}

std::optional<std::string> TScriptedDialogs::BrowseFolder(const platform::TBrowseFolderRequest& request) {
  BrowseFolderRequests.push_back(request);
  return TakeNext(FFolders, Unanswered);
}

std::optional<std::string> TScriptedDialogs::ChooseFile(const platform::TOpenFileRequest& request) {
  ChooseFileRequests.push_back(request);
  return TakeNext(FFiles, Unanswered);
}

platform::TReportAnswer TScriptedReportWindow::Show(const platform::TReportRequest& request) {
  Shown.push_back(request);
  if (FAnswers.empty()) {
    ++Unanswered;
    return platform::TReportAnswer::Continue;
  }
  const auto answer = FAnswers.front();
  FAnswers.pop_front();
  return answer;
}

void TRecordingProgramStarter::StartDetached(const std::string& executable, const std::string& folder) {
  if (OnStart) OnStart();
  if (FailWith != 0) throw platform::ESystemError(FailWith);
  Started.push_back({executable, folder});
}

}  // namespace ratemill::test
