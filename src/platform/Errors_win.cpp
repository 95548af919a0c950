#include <windows.h>

#include "platform/Errors.h"
#include "platform/WinText.h"

namespace ratemill::platform {

std::string SystemErrorText(int code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return {};
  std::wstring text(buffer, length);
  ::LocalFree(buffer);
  // The system's texts end with a line break that the message adds itself.
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return WideToUtf8(text);
}

}  // namespace ratemill::platform
