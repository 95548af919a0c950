// Stands in for the desktop's opener: records the arguments it gets, each
// ended by a NUL byte, in the file named by RATEMILL_FAKE_OPENER_LOG, and
// whether its standard input was at its end right away.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const char* log = std::getenv("RATEMILL_FAKE_OPENER_LOG");
  if (!log) return 2;
  std::FILE* out = std::fopen(log, "wb");
  if (!out) return 3;
  for (int i = 1; i < argc; ++i) {
    std::fputs(argv[i], out);
    std::fputc('\0', out);
  }
  char c;
  std::fputs(::read(STDIN_FILENO, &c, 1) == 0 ? "stdin:eof" : "stdin:open", out);
  return std::fclose(out) == 0 ? 0 : 4;
}
