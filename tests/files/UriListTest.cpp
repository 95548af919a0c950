#include "files/UriList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ratemill {
namespace {

TEST(LocalPathsOfUriList, DecodesEachLocalFileToItsBytes) {
  struct TCase {
    const char* Name;
    std::string UriList;
    std::vector<std::string> Paths;
  };
  const TCase cases[] = {
      {"invalid UTF-8 stays bytes", "file:///in/%FF.wav\r\n", {"/in/\xff.wav"}},
      {"U+FFFD itself", "file:///in/%EF%BF%BD.wav\r\n", {"/in/\xef\xbf\xbd.wav"}},
      {"Latin-1", "file:///in/%ff%FE-latin1-%E4.wav", {"/in/\xff\xfe-latin1-\xe4.wav"}},
      {"encoded line break, blanks and quotes", "file:///in/a%0Ab%20%20%22q%22%27.wav\r\n", {"/in/a\nb  \"q\"'.wav"}},
      {"encoded ? and # are part of the name", "file:///in/what%3F%23.wav", {"/in/what?#.wav"}},
      {"query and fragment are not", "file:///in/a.wav?x=1\r\nfile:///in/b.wav#top\r\n", {"/in/a.wav", "/in/b.wav"}},
      {"a % without two hex digits stands for itself",
       "file:///in/100%.wav\nfile:///in/%zz.wav",
       {"/in/100%.wav", "/in/%zz.wav"}},
      {"order kept, comments and blank lines skipped",
       "# c\r\n\r\nfile:///b.wav\r\n  file:///a.wav  \r\n",
       {"/b.wav", "/a.wav"}},
      {"localhost and the short form",
       "file://localhost/x.wav\nFILE://LOCALHOST/y.wav\nfile:/z.wav",
       {"/x.wav", "/y.wav", "/z.wav"}},
      {"other hosts and schemes are no local files",
       "file://server/share/x.wav\r\nhttps://example.org/r.wav\r\nsmb://h/s.wav\r\nfile:relative.wav\r\n",
       {}},
      {"a NUL would name another file", "file:///in/a%00/etc/passwd\r\nfile:///ok.wav", {"/ok.wav"}},
      {"last line without its line end", "file:///a.wav\r\nfile:///b.wav", {"/a.wav", "/b.wav"}},
  };
  for (const auto& c : cases) EXPECT_EQ(LocalPathsOfUriList(c.UriList), c.Paths) << c.Name;
}

}  // namespace
}  // namespace ratemill
