#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ratemill::platform {

struct TFileFilter {
  std::string Name;     // "WAV-Dateien"
  std::string Pattern;  // "*.wav"
};

struct TOpenFilesRequest {
  std::string Title;
  std::vector<TFileFilter> Filters;  // the first one is active when the dialog opens
  bool MultiSelect = true;
};

struct TBrowseFolderRequest {
  std::string Title;
  std::string InitialFolder;  // selected when the dialog opens; may be empty
};

struct TOpenFileRequest {
  std::string Title;
  std::string InitialPath;
};

// File and folder dialogs. Every call is modal; `std::nullopt` means the user
// cancelled. Paths are full paths without added quotes.
class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual std::optional<std::vector<std::string>> OpenFiles(const TOpenFilesRequest& request) = 0;
  // Returns the chosen folder without a trailing delimiter (except for a root).
  virtual std::optional<std::string> BrowseFolder(const TBrowseFolderRequest& request) = 0;
  // Picks one file name (it need not exist), as for the temporary-file edit.
  virtual std::optional<std::string> ChooseFile(const TOpenFileRequest& request) = 0;
};

}  // namespace ratemill::platform
