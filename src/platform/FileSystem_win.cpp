#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/TempFileNames.h"
#include "platform/WinText.h"

namespace ratemill::platform {

const char PathDelim = '\\';
const char PathDelimiters[] = "\\/";

std::string LocalPathOfFileUriPath(const std::string& uriPath) {
  // A URI's path always begins with '/', also before a drive letter, where
  // Windows would take it for the root of the current drive.
  const bool drive = uriPath.size() >= 3 && uriPath[0] == '/' &&
                     ((uriPath[1] >= 'A' && uriPath[1] <= 'Z') || (uriPath[1] >= 'a' && uriPath[1] <= 'z')) &&
                     uriPath[2] == ':';
  if (!drive) return uriPath;
  std::string path = uriPath.substr(1);
  for (char& c : path) {
    if (c == '/') c = PathDelim;
  }
  return path;
}

namespace {

// Owns one file handle and closes it when it goes.
class TFileHandle {
 public:
  explicit TFileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : FHandle(handle) {}
  ~TFileHandle() {
    if (Valid()) ::CloseHandle(FHandle);
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  TFileHandle& operator=(TFileHandle&& other) noexcept {
    if (this != &other) {
      if (Valid()) ::CloseHandle(FHandle);
      FHandle = other.FHandle;
      other.FHandle = INVALID_HANDLE_VALUE;
    }
    return *this;
  }

  HANDLE Get() const { return FHandle; }
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
  // Closes now and reports the outcome.
  bool Close() {
    const HANDLE handle = FHandle;
    FHandle = INVALID_HANDLE_VALUE;
    return ::CloseHandle(handle) != 0;
  }

 private:
  HANDLE FHandle;
};

int LastError() { return static_cast<int>(::GetLastError()); }

DWORD Attributes(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(Utf8ToWide(path).c_str());
}

// Other readers and writers, and a rename over the file, stay possible while
// we read, as they would with a POSIX descriptor.
HANDLE OpenForReading(const std::string& path) {
  return ::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads until `count` bytes or the end; false on an error.
bool ReadFully(HANDLE file, char* buffer, std::size_t count, std::size_t& done) {
  done = 0;
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(file, buffer + done, chunk, &got, nullptr)) return false;
    if (got == 0) break;
    done += got;
  }
  return true;
}

bool WriteFully(HANDLE file, const char* data, std::size_t count) {
  while (count > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, data, chunk, &written, nullptr)) return false;
    data += written;
    count -= written;
  }
  return true;
}

std::atomic<unsigned> gTempCounter{0};

// The name of a temporary file beside `base` while it is being replaced,
// carrying the writer's process id so that a leftover can be told from a
// write in progress.
std::string TempFilePrefix(const std::string& base) { return "~" + base + ".tmp"; }

// The writer's process id when `name` is one of our temporary files for
// `base` ("<prefix><pid>-<counter>"), 0 otherwise.
DWORD TempFileOwner(const std::string& name, const std::string& base) {
  const std::string prefix = TempFilePrefix(base);
  if (name.size() < prefix.size() || ::CompareStringOrdinal(Utf8ToWide(name.substr(0, prefix.size())).c_str(), -1,
                                                            Utf8ToWide(prefix).c_str(), -1, TRUE) != CSTR_EQUAL) {
    return 0;
  }
  return TempFileWriter(name, prefix.size());
}

// True while the process `id` runs. A process we may not open exists too.
bool ProcessRuns(DWORD id) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process == nullptr) return ::GetLastError() != ERROR_INVALID_PARAMETER;
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
}

// Removes what earlier writes of `base` left in `folder` when they were killed
// between creating their temporary file and renaming it. A file of a process
// that still runs may be a write in progress and stays; so do our own, since
// another thread of ours may be writing.
void RemoveLeftoverTempFiles(const std::string& folder, const std::string& base) {
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = Utf8ToWide((folder.empty() ? std::string(".\\") : folder) + "*");
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // Only plain files of that name are ours; anything else someone put there.
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const std::string name = WideToUtf8(found.cFileName);
    const DWORD owner = TempFileOwner(name, base);
    if (owner == 0 || owner == ::GetCurrentProcessId() || ProcessRuns(owner)) continue;
    ::DeleteFileW(Utf8ToWide(folder + name).c_str());
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  // Walk down from the root so each missing parent is made before its child;
  // Windows takes both delimiters.
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find_first_of("\\/", pos + 1);
    const std::string part = path.substr(0, pos);
    if (part.empty() || part.back() == '\\' || part.back() == '/' || part.back() == ':') continue;
    if (!::CreateDirectoryW(Utf8ToWide(part).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      // A parent we may not create may still exist (a share's root, say);
      // only the end result counts.
      if (!DirectoryExists(part)) return false;
    }
  }
  return DirectoryExists(path);
}

TFileKind FileKind(const std::string& path) {
  // Named pipes and devices answer to their own names (\\.\pipe\x);
  // the system keeps no attributes for them, so they are named by that
  // prefix and never opened here.
  if (path.rfind("\\\\.\\", 0) == 0) {
    return path.compare(4, 5, "pipe\\") == 0 ? TFileKind::fkFifo : TFileKind::fkDevice;
  }
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return TFileKind::fkMissing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return TFileKind::fkFolder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return TFileKind::fkDevice;
  return TFileKind::fkRegular;
}

TFileFacts FileFacts(const std::string& path) {
  TFileFacts facts;
  facts.Kind = FileKind(path);
  if (facts.Kind != TFileKind::fkRegular) return facts;
  // The size comes from the directory entry, as the kind does: nothing is opened.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (::GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data))
    facts.Size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return facts;
}

void RenameFile(const std::string& from, const std::string& to) {
  // Windows replaces the target in one step only when asked to; written
  // through, so the new name is on disk when we return.
  if (!::MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw ESystemError(LastError());
  }
}

bool RemoveFile(const std::string& path) {
  if (::DeleteFileW(Utf8ToWide(path).c_str())) return true;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::size_t ReadFileHead(const std::string& path, void* buffer, std::size_t count, THeadReadFault* fault) {
  THeadReadFault ignored;
  THeadReadFault& result = fault != nullptr ? *fault : ignored;
  result = THeadReadFault::CannotOpen;
  // A folder cannot be opened as a file at all, but it is not missing.
  const DWORD attributes = Attributes(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    result = THeadReadFault::NotRegularFile;
    return 0;
  }
  TFileHandle file(OpenForReading(path));
  if (!file.Valid()) return 0;
  // A pipe or a console would block the read until someone writes; only a
  // disk file is read.
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
    result = THeadReadFault::NotRegularFile;
    return 0;
  }
  std::size_t done = 0;
  if (!ReadFully(file.Get(), static_cast<char*>(buffer), count, done)) return 0;
  result = THeadReadFault::None;
  return done;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  TFileHandle file(OpenForReading(path));
  if (!file.Valid()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    RaiseLastOSError(static_cast<int>(error));
  }
  std::string content;
  char chunk[65536];
  for (;;) {
    std::size_t n = 0;
    if (!ReadFully(file.Get(), chunk, sizeof chunk, n)) RaiseLastOSError(LastError());
    content.append(chunk, n);
    if (n < sizeof chunk) break;
  }
  return content;
}

void WriteFileAtomically(const std::string& path, const std::string& content) {
  const DWORD old = Attributes(path);
  const bool replacing = old != INVALID_FILE_ATTRIBUTES;
  // A read-only file is refused as writing into it would be; the rename
  // below would otherwise fail with a less telling reason.
  if (replacing && (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) RaiseLastOSError(ERROR_ACCESS_DENIED);

  // A unique name in the same folder, so the rename stays on one volume.
  const std::string folder = ExtractFilePath(path);
  const std::string base = ExtractFileName(path);
  std::string tempName;
  TFileHandle file;
  for (int attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
    tempName = folder + TempFilePrefix(base) + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(gTempCounter.fetch_add(1));
    file = TFileHandle(::CreateFileW(Utf8ToWide(tempName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() && ::GetLastError() != ERROR_FILE_EXISTS) RaiseLastOSError(LastError());
  }
  if (!file.Valid()) RaiseLastOSError(ERROR_FILE_EXISTS);

  const std::wstring wideTemp = Utf8ToWide(tempName);
  auto fail = [&wideTemp](int code) {
    ::DeleteFileW(wideTemp.c_str());
    RaiseLastOSError(code);
  };
  if (!WriteFully(file.Get(), content.data(), content.size())) {
    const int error = LastError();
    file.Close();
    fail(error);
  }
  if (!::FlushFileBuffers(file.Get())) {
    const int error = LastError();
    file.Close();
    fail(error);
  }
  if (!file.Close()) fail(LastError());
  // One rename that replaces the old file whole; written through, so it is
  // on disk when we return.
  if (!::MoveFileExW(wideTemp.c_str(), Utf8ToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    fail(LastError());

  // Only after a write went through: the leftovers are of no use to anyone,
  // and removing them must not stand in the way of the write itself.
  RemoveLeftoverTempFiles(folder, base);
}

}  // namespace ratemill::platform
