#include "ReferenceAssembly.h"

namespace ratemill::test {

void TReferenceAssembly::Piece(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    switch (bytes[i]) {
      case 0:
      case 7: Put(' '); break;
      case 8: FCursor -= FCursor > 0; break;
      case 9:
        for (int b = 0; b < 8; ++b) Put(' ');
        break;
      case 10: Deliver(true); break;
      case 13: FCursor = 0; break;
      default: Put(bytes[i]);
    }
  }
  Deliver(false);
}

void TReferenceAssembly::Put(char c) {
  if (FCursor < FLine.size()) {
    FLine[FCursor] = c;
  } else {
    FLine.push_back(c);
  }
  ++FCursor;
}

void TReferenceAssembly::Deliver(bool next) {
  FDeliver(FLine, FStartsOnNewLine);
  if (next) {
    FLine.clear();
    FCursor = 0;
  }
  FStartsOnNewLine = next;
}

}  // namespace ratemill::test
