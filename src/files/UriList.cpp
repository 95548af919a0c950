#include "files/UriList.h"

#include "platform/FileSystem.h"

namespace ratemill {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != prefix[i]) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A "%" that is not followed by two hex digits stands for itself.
std::string PercentDecode(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      bytes.push_back(text[i]);
    }
  }
  return bytes;
}

// The path of one "file:" URI, still encoded; empty when it names no local file.
std::string_view EncodedLocalPath(std::string_view uri) {
  if (!StartsWithNoCase(uri, "file:")) return {};
  std::string_view rest = uri.substr(5);
  // A query or fragment is no part of a path; a name holding "?" or "#"
  // arrives with them encoded.
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) return {};
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost"))) return {};
    rest.remove_prefix(slash);
  }
  return rest.substr(0, 1) == "/" ? rest : std::string_view();
}

}  // namespace

std::vector<std::string> LocalPathsOfUriList(std::string_view uriList) {
  std::vector<std::string> paths;
  std::size_t pos = 0;
  while (pos < uriList.size()) {
    const auto end = uriList.find_first_of("\r\n", pos);
    std::string_view line = uriList.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? uriList.size() : end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::string_view encoded = EncodedLocalPath(line);
    if (encoded.empty()) continue;
    std::string path = platform::LocalPathOfFileUriPath(PercentDecode(encoded));
    // No file name holds a NUL; the system would read such a path only up
    // to it and find another file.
    if (path.find('\0') == std::string::npos) paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace ratemill
