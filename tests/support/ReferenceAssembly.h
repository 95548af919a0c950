#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace ratemill::test {

// The console rules of the output reader applied one byte at a time, as
// plainly as they can be written: what any stream must give, for checking
// the reader's fast assembly against.
class TReferenceAssembly {
 public:
  using TDeliver = std::function<void(const std::string& line, bool startsOnNewLine)>;

  explicit TReferenceAssembly(TDeliver deliver) : FDeliver(std::move(deliver)) {}

  // One piece as the main thread takes it; ends with a delivery of the line
  // as it then stands.
  void Piece(const char* bytes, std::size_t count);

 private:
  void Put(char c);
  void Deliver(bool next);

  TDeliver FDeliver;
  std::string FLine;
  std::size_t FCursor = 0;
  bool FStartsOnNewLine = true;
};

}  // namespace ratemill::test
