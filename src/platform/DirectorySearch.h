#pragma once

#include <memory>
#include <string>

namespace ratemill::platform {

// One entry of a folder. "." and ".." are never delivered.
struct TDirEntry {
  std::string Name;
  bool IsFolder = false;   // a folder, or a link to one
  bool IsFile = false;     // a regular file, or a link to one
  bool IsHidden = false;   // the name begins with "."
  bool IsSymlink = false;  // the entry itself is a symbolic link
};

// Reads the entries of one folder in the order the file system keeps them.
// The folder stays open for the object's life; a folder that cannot be opened
// (missing, no access, not a folder) simply delivers nothing.
class TDirectorySearch {
 public:
  explicit TDirectorySearch(const std::string& folder);
  ~TDirectorySearch();
  TDirectorySearch(const TDirectorySearch&) = delete;
  TDirectorySearch& operator=(const TDirectorySearch&) = delete;

  bool IsOpen() const;

  // Fills `entry` with the next entry and returns true, or returns false at
  // the end. `entry.Name` keeps its storage from call to call.
  bool Next(TDirEntry& entry);

 private:
  struct TState;  // the system's open folder handle
  std::unique_ptr<TState> FState;
};

}  // namespace ratemill::platform
