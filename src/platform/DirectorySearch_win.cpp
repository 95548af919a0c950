#include "platform/DirectorySearch.h"

#include <windows.h>

#include "platform/WinText.h"

namespace ratemill::platform {

struct TDirectorySearch::TState {
  HANDLE Find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW Data{};
  bool Pending = false;  // `Data` holds an entry not delivered yet
  ~TState() {
    if (Find != INVALID_HANDLE_VALUE) ::FindClose(Find);
  }
};

TDirectorySearch::TDirectorySearch(const std::string& folder) {
  if (folder.empty()) return;
  std::wstring pattern = Utf8ToWide(folder);
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern.push_back(L'\\');
  pattern.push_back(L'*');
  auto state = std::make_unique<TState>();
  state->Find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &state->Data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  if (state->Find == INVALID_HANDLE_VALUE) return;
  state->Pending = true;
  FState = std::move(state);
}

TDirectorySearch::~TDirectorySearch() = default;

bool TDirectorySearch::IsOpen() const { return FState != nullptr; }

bool TDirectorySearch::Next(TDirEntry& entry) {
  if (FState == nullptr) return false;
  for (;;) {
    if (!FState->Pending && !::FindNextFileW(FState->Find, &FState->Data)) return false;
    FState->Pending = false;
    const WIN32_FIND_DATAW& d = FState->Data;
    const wchar_t* name = d.cFileName;
    if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) continue;

    entry.Name = WideToUtf8(name);
    const DWORD attributes = d.dwFileAttributes;
    // Hidden by the system's mark, or by the leading dot that POSIX tools
    // leave on Windows volumes too.
    entry.IsHidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0 || name[0] == L'.';
    entry.IsSymlink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && d.dwReserved0 == IO_REPARSE_TAG_SYMLINK;
    // A link on Windows is itself a file link or a folder link; its kind is
    // what it points at.
    entry.IsFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.IsFile = !entry.IsFolder && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
    return true;
  }
}

}  // namespace ratemill::platform
