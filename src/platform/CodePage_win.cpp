#include <windows.h>

#include <vector>

#include "platform/CodePage.h"

namespace ratemill::platform {

std::string Ansi2OEM(const std::string& text) {
  if (text.empty()) return text;
  std::string out(text.size(), '\0');
  ::CharToOemBuffA(text.data(), out.data(), static_cast<DWORD>(text.size()));
  return out;
}

std::u16string AnsiToUtf16(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return std::u16string(wide.begin(), wide.end());
}

std::string Utf16ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  const std::wstring wide(text.begin(), text.end());
  const int size = static_cast<int>(wide.size());
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, "?", nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, out.data(), length, "?", nullptr);
  return out;
}

}  // namespace ratemill::platform
