#pragma once

#include <QString>
#include <memory>

#include "platform/Dialogs.h"

namespace ratemill::platform {

class IMessageBoxes;

// Modal file and folder dialogs of the toolkit. Every path they give back is
// mapped to its exact bytes on disk; one that cannot be mapped (two entries
// of a folder look alike, or none is there) is reported in an error box and
// left out.
class TQtDialogs : public IDialogs {
 public:
  // `boxes` shows the errors; without one the dialogs show their own.
  explicit TQtDialogs(IMessageBoxes* boxes = nullptr);
  ~TQtDialogs() override;

  std::optional<std::vector<std::string>> OpenFiles(const TOpenFilesRequest& request) override;
  std::optional<std::string> BrowseFolder(const TBrowseFolderRequest& request) override;
  std::optional<std::string> ChooseFile(const TOpenFileRequest& request) override;

 private:
  // Where a dialog without a folder of its own opens: the last folder chosen
  // in this run, at first the user's music folder.
  QString StartFolder() const;
  void RememberFolder(const QString& folder);

  std::string FLastChosenFolder;

  // The exact path of what the dialog gave, or nothing after an error box.
  std::optional<std::string> Resolve(const QString& chosen, bool mayBeNew);

  std::unique_ptr<IMessageBoxes> FOwnBoxes;
  IMessageBoxes* FBoxes;
};

}  // namespace ratemill::platform
