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

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The text with every surrogate that is not part of a pair replaced by '?'.
std::wstring WithoutLoneSurrogates(const std::u16string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out.push_back(static_cast<wchar_t>(c));
      out.push_back(static_cast<wchar_t>(text[++i]));
    } else {
      out.push_back(IsHighSurrogate(c) || IsLowSurrogate(c) ? L'?' : static_cast<wchar_t>(c));
    }
  }
  return out;
}

}  // namespace

std::string Utf16ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  // The program's manifest makes UTF-8 the ANSI code page. The system takes
  // no default character for it (Windows fails the whole call when given one,
  // Wine writes U+FFFD), and the only text it cannot hold is a surrogate
  // without its pair: that becomes '?' here, as in any 8-bit code page.
  const bool utf8 = ::GetACP() == CP_UTF8;
  const std::wstring wide = utf8 ? WithoutLoneSurrogates(text) : std::wstring(text.begin(), text.end());
  const char* fallback = utf8 ? nullptr : "?";
  const int size = static_cast<int>(wide.size());
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, fallback, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, out.data(), length, fallback, nullptr);
  return out;
}

}  // namespace ratemill::platform
