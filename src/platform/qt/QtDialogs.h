#pragma once

#include <QString>

#include "platform/Dialogs.h"

namespace ratemill::platform {

// Modal file and folder dialogs of the toolkit.
class TQtDialogs : public IDialogs {
 public:
  std::optional<std::vector<std::string>> OpenFiles(const TOpenFilesRequest& request) override;
  std::optional<std::string> BrowseFolder(const TBrowseFolderRequest& request) override;
  std::optional<std::string> ChooseFile(const TOpenFileRequest& request) override;

 private:
  // Where a dialog without a folder of its own opens: the last folder chosen
  // in this run, at first the user's music folder.
  QString StartFolder() const;
  void RememberFolder(const QString& folder);

  std::string FLastChosenFolder;
};

}  // namespace ratemill::platform
