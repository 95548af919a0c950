#include "platform/DirectorySearch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ratemill::platform {

struct TDirectorySearch::TState {
  DIR* Dir = nullptr;
  ~TState() {
    if (Dir != nullptr) closedir(Dir);
  }
};

TDirectorySearch::TDirectorySearch(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return;
  }
  FState = std::make_unique<TState>();
  FState->Dir = dir;
}

TDirectorySearch::~TDirectorySearch() = default;

bool TDirectorySearch::IsOpen() const { return FState != nullptr; }

bool TDirectorySearch::Next(TDirEntry& entry) {
  if (FState == nullptr) return false;
  DIR* const dir = FState->Dir;
  for (;;) {
    const dirent* d = readdir(dir);
    if (d == nullptr) return false;
    const char* name = d->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;

    entry.Name.assign(name);
    entry.IsHidden = name[0] == '.';
    entry.IsSymlink = false;
    entry.IsFolder = false;
    entry.IsFile = false;

    unsigned char type = d->d_type;
    struct stat st;
    if (type == DT_UNKNOWN) {
      // Some file systems do not fill in the type; ask for it.
      if (fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) return true;
      if (S_ISLNK(st.st_mode))
        type = DT_LNK;
      else if (S_ISDIR(st.st_mode))
        type = DT_DIR;
      else if (S_ISREG(st.st_mode))
        type = DT_REG;
    }
    if (type == DT_LNK) {
      entry.IsSymlink = true;
      // What the link points at; a dangling link is neither file nor folder.
      if (fstatat(dirfd(dir), name, &st, 0) == 0) {
        entry.IsFolder = S_ISDIR(st.st_mode);
        entry.IsFile = S_ISREG(st.st_mode);
      }
    } else {
      entry.IsFolder = type == DT_DIR;
      entry.IsFile = type == DT_REG;
    }
    return true;
  }
}

}  // namespace ratemill::platform
