#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/TempFileNames.h"

namespace ratemill::platform {

const char PathDelim = '/';
const char PathDelimiters[] = "/";

std::string LocalPathOfFileUriPath(const std::string& uriPath) { return uriPath; }

namespace {

// Owns one file descriptor and closes it when it goes.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd = -1) : FFd(fd) {}
  ~TFileDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(TFileDescriptor&& other) noexcept {
    if (this != &other) {
      if (FFd >= 0) ::close(FFd);
      FFd = other.FFd;
      other.FFd = -1;
    }
    return *this;
  }

  int Get() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  // Closes now and reports the outcome: on some file systems a failed write
  // only shows at close.
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return ::close(fd) == 0;
  }

 private:
  int FFd;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Reads until `count` bytes or the end; -1 on an error.
ssize_t ReadFully(int fd, char* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, buffer + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

bool WriteFully(int fd, const char* data, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, data, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

// The file a write to `path` must replace: a symbolic link is followed so the
// link itself survives the rename.
std::string ReplacementTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
  return resolved ? std::string(resolved.get()) : path;
}

std::atomic<unsigned> gTempCounter{0};

// The name of a temporary file beside `base` while it is being replaced:
// hidden, and carrying the writer's process id so that a leftover can be
// told from a write in progress.
std::string TempFilePrefix(const std::string& base) { return "." + base + ".tmp"; }

// The writer's process id when `name` is one of our temporary files for
// `base` ("<prefix><pid>-<counter>"), 0 otherwise.
pid_t TempFileOwner(const std::string& name, const std::string& base) {
  const std::string prefix = TempFilePrefix(base);
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  return static_cast<pid_t>(TempFileWriter(name, prefix.size()));
}

// Removes what earlier writes of `base` left in `folder` when they were killed
// between creating their temporary file and renaming it. A file of a process
// that still runs may be a write in progress and stays; so do our own, since
// another thread of ours may be writing.
void RemoveLeftoverTempFiles(const std::string& folder, const std::string& base) {
  struct TCloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::unique_ptr<DIR, TCloseDir> dir(::opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    const pid_t owner = TempFileOwner(name, base);
    if (owner <= 0 || owner == ::getpid()) continue;
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;
    struct stat info {};
    const std::string path = folder + name;
    // Only plain files of that name are ours; anything else someone put there.
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
  }
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  // Walk down from the root so each missing parent is made before its child.
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find(PathDelim, pos + 1);
    const std::string part = path.substr(0, pos);
    if (part.empty() || part.back() == PathDelim) continue;
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      // A parent we may not create may still exist (a read-only mount, say);
      // only the end result counts.
      if (!DirectoryExists(part)) return false;
    }
  }
  return DirectoryExists(path);
}

TFileKind FileKind(const std::string& path) { return FileFacts(path).Kind; }

TFileFacts FileFacts(const std::string& path) {
  struct stat info {};
  TFileFacts facts;
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return facts;
  if (S_ISREG(info.st_mode)) {
    facts.Kind = TFileKind::fkRegular;
    facts.Size = static_cast<std::uint64_t>(info.st_size);
  } else if (S_ISDIR(info.st_mode)) {
    facts.Kind = TFileKind::fkFolder;
  } else if (S_ISFIFO(info.st_mode)) {
    facts.Kind = TFileKind::fkFifo;
  } else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
    facts.Kind = TFileKind::fkDevice;
  } else if (S_ISSOCK(info.st_mode)) {
    facts.Kind = TFileKind::fkSocket;
  } else {
    facts.Kind = TFileKind::fkOther;
  }
  return facts;
}

void RenameFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) throw ESystemError(errno);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

std::size_t ReadFileHead(const std::string& path, void* buffer, std::size_t count, THeadReadFault* fault) {
  THeadReadFault ignored;
  THeadReadFault& result = fault != nullptr ? *fault : ignored;
  result = THeadReadFault::CannotOpen;
  // Without O_NONBLOCK, opening a FIFO waits until some other process opens
  // its other end, and the caller may be the window's thread. A regular file
  // reads the same with the flag as without it.
  TFileDescriptor fd(OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY));
  if (!fd.Valid()) return 0;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return 0;
  if (!S_ISREG(info.st_mode)) {
    result = THeadReadFault::NotRegularFile;
    return 0;
  }
  const ssize_t n = ReadFully(fd.Get(), static_cast<char*>(buffer), count);
  if (n < 0) return 0;
  result = THeadReadFault::None;
  return static_cast<std::size_t>(n);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  TFileDescriptor fd(OpenRetrying(path.c_str(), O_RDONLY));
  if (!fd.Valid()) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    RaiseLastOSError(errno);
  }
  std::string content;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ReadFully(fd.Get(), chunk, sizeof chunk);
    if (n < 0) RaiseLastOSError(errno);
    content.append(chunk, static_cast<std::size_t>(n));
    if (static_cast<std::size_t>(n) < sizeof chunk) break;
  }
  return content;
}

void WriteFileAtomically(const std::string& path, const std::string& content) {
  const std::string target = ReplacementTarget(path);
  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  // Renaming over a file needs only the folder's permission, so a file that
  // is marked read-only would be replaced silently. Refuse as writing into it
  // would: a file without any write bit is read-only even for root.
  if (replacing && (!(old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) ||
                    ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
    RaiseLastOSError(EACCES);
  }

  // A unique name in the same folder, so the rename stays on one file system.
  std::string tempName;
  TFileDescriptor fd;
  const std::string folder = ExtractFilePath(target);
  const std::string base = ExtractFileName(target);
  for (int attempt = 0; attempt < 100 && !fd.Valid(); ++attempt) {
    tempName =
        folder + TempFilePrefix(base) + std::to_string(::getpid()) + "-" + std::to_string(gTempCounter.fetch_add(1));
    // A new file gets 0666 less the umask, as any new file would.
    fd = TFileDescriptor(OpenRetrying(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
    if (!fd.Valid() && errno != EEXIST) RaiseLastOSError(errno);
  }
  if (!fd.Valid()) RaiseLastOSError(EEXIST);

  auto fail = [&tempName](int code) {
    ::unlink(tempName.c_str());
    RaiseLastOSError(code);
  };
  if (!WriteFully(fd.Get(), content.data(), content.size())) fail(errno);
  if (replacing) {
    if (::fchmod(fd.Get(), old.st_mode & 07777) != 0) fail(errno);
    // Only root can hand a file to another owner; anyone else keeps it.
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      [[maybe_unused]] int ignored = ::fchown(fd.Get(), old.st_uid, old.st_gid);
    }
  }
  if (::fsync(fd.Get()) != 0) fail(errno);
  if (!fd.Close()) fail(errno);
  if (::rename(tempName.c_str(), target.c_str()) != 0) fail(errno);

  // Make the rename itself durable; a folder that cannot be synced still
  // holds the whole new file, so this is best effort.
  TFileDescriptor dir(OpenRetrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.Valid()) ::fsync(dir.Get());

  // Only after a write went through: the leftovers are of no use to anyone,
  // and removing them must not stand in the way of the write itself.
  RemoveLeftoverTempFiles(folder, base);
}

}  // namespace ratemill::platform
