#pragma once

#include <cstddef>

namespace ratemill::test {

// While it lives, no file of this process may grow beyond `bytes`: a write
// past the limit fails as on a full disk, for root too. Writes fail with an
// error instead of ending the process.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(std::size_t bytes);
  ~TFileSizeLimit();
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

  bool Active() const { return FActive; }

 private:
  bool FActive = false;
  unsigned long long FOldSoft = 0;
  unsigned long long FOldHard = 0;
  void (*FOldHandler)(int) = nullptr;
};

}  // namespace ratemill::test
