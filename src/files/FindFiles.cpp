#include "files/FindFiles.h"

#include <algorithm>

#include "platform/DirectorySearch.h"
#include "platform/FileSystem.h"

namespace ratemill {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The index after the character that starts at `i`, stepping over a whole
// UTF-8 sequence, so that "?" stands for one character and not one byte.
std::size_t NextChar(std::string_view s, std::size_t i) {
  ++i;
  while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  return i;
}

struct TFound {
  std::string Name;
  bool IsFolder;
};

// `path` is one buffer for the whole scan: each level appends its name and
// cuts it off again, so no path is built twice.
void Scan(std::string& path, const std::string& mask, std::vector<std::string>& list, bool recursive,
          std::vector<TFound>& found) {
  const std::size_t levelStart = found.size();
  {
    platform::TDirectorySearch search(path);
    platform::TDirEntry entry;
    while (search.Next(entry)) {
      if (entry.IsFile) {
        if (MatchesMask(entry.Name, mask)) found.push_back({entry.Name, false});
      } else if (recursive && entry.IsFolder && !entry.IsSymlink && !entry.IsHidden) {
        found.push_back({entry.Name, true});
      }
    }
  }  // closed before descending, so the depth of the tree costs no handles

  const auto begin = found.begin() + static_cast<std::ptrdiff_t>(levelStart);
  std::sort(begin, found.end(), [](const TFound& a, const TFound& b) { return a.Name < b.Name; });

  const std::size_t pathLength = path.size();
  for (std::size_t i = levelStart; i < found.size(); ++i) {
    if (found[i].IsFolder) continue;
    path += found[i].Name;
    list.push_back(path);
    path.resize(pathLength);
  }
  if (recursive) {
    const std::size_t levelEnd = found.size();
    for (std::size_t i = levelStart; i < levelEnd; ++i) {
      if (!found[i].IsFolder) continue;
      path += found[i].Name;
      path += platform::PathDelim;
      Scan(path, mask, list, recursive, found);
      path.resize(pathLength);
      // Deeper levels have been cut off again: `found` ends at levelEnd here.
    }
  }
  found.resize(levelStart);
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*") return true;  // "all files", also those without a dot
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t starMask = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      n = NextChar(name, n);
      ++m;
    } else if (m < mask.size() && LowerAscii(mask[m]) == LowerAscii(name[n])) {
      ++n;
      ++m;
    } else if (starMask != std::string_view::npos) {
      // Let the last star swallow one more character and try again.
      starName = NextChar(name, starName);
      n = starName;
      m = starMask + 1;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

void FindFilesRecursive(const std::string& folder, const std::string& mask, std::vector<std::string>& list,
                        bool recursive) {
  std::string path = folder;
  std::vector<TFound> found;
  Scan(path, mask, list, recursive, found);
}

}  // namespace ratemill
