// A Windows child program for the tests that reads its arguments as the
// system hands them over in UTF-16 (wmain) and opens them with _wfopen, as a
// converter built with wide-character support does: it copies the file named
// by its first argument to the one named by its second. Exit code 0 when the
// copy is whole, 2 when the source cannot be opened, 3 when the target cannot
// be written, 1 for a wrong number of arguments.
#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 1;
  std::FILE* in = ::_wfopen(argv[1], L"rb");
  if (in == nullptr) return 2;
  std::FILE* out = ::_wfopen(argv[2], L"wb");
  if (out == nullptr) {
    std::fclose(in);
    return 3;
  }
  char buffer[65536];
  std::size_t n;
  bool ok = true;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) ok = ok && std::fwrite(buffer, 1, n, out) == n;
  ok = ok && !std::ferror(in);
  std::fclose(in);
  ok = std::fclose(out) == 0 && ok;
  return ok ? 0 : 3;
}
