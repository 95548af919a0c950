#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/WinText.h"

namespace ratemill::platform {

const char PathDelim = '\\';

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

std::size_t ReadFileHead(const std::string& path, void* buffer, std::size_t count) {
  TFileHandle file(OpenForReading(path));
  if (!file.Valid()) return 0;
  std::size_t done = 0;
  return ReadFully(file.Get(), static_cast<char*>(buffer), count, done) ? done : 0;
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
    tempName = folder + "~" + base + ".tmp" + std::to_string(::GetCurrentProcessId()) + "-" +
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
}

}  // namespace ratemill::platform
