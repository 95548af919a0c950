#pragma once

#include <cstdint>

namespace ratemill::platform {

// Owns one operating-system handle (a file descriptor on POSIX) and closes it
// when it goes. Handles made by the process services are never inherited by
// children unless a spawn hands them over as the child's standard handles.
class TOsHandle {
 public:
  using TValue = std::intptr_t;
  static constexpr TValue kInvalid = -1;

  TOsHandle() = default;
  explicit TOsHandle(TValue value) : FValue(value) {}
  ~TOsHandle() { Reset(); }
  TOsHandle(TOsHandle&& other) noexcept : FValue(other.Release()) {}
  TOsHandle& operator=(TOsHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TOsHandle(const TOsHandle&) = delete;
  TOsHandle& operator=(const TOsHandle&) = delete;

  bool Valid() const { return FValue != kInvalid; }
  TValue Get() const { return FValue; }
  TValue Release() {
    TValue value = FValue;
    FValue = kInvalid;
    return value;
  }
  // Closes the handle held (unless it is `value` itself) and holds `value`.
  void Reset(TValue value = kInvalid) noexcept;

 private:
  TValue FValue = kInvalid;
};

}  // namespace ratemill::platform
